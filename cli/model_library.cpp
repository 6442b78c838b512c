#include "model_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <type_traits>

namespace quenlor {

namespace {

constexpr int kTextField = 80;
constexpr char kLibraryFile[] = "libquenlor.so";

// The text of an 80-byte field: up to its NUL, trailing blanks removed.
std::string fieldText(const char (&field)[kTextField + 1]) {
    std::string text(field, ::strnlen(field, kTextField));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string programDirectory() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return self.parent_path().string();
}

}  // namespace

struct ModelLibrary::Functions {
    void (*cdImplementedYet)(std::int32_t*);
    void (*getEnumDefaultIndex)(std::int32_t, std::int32_t*);
    void (*getMainParameterInfo)(std::int32_t, char*, char*, std::int32_t*);
    void (*getModelName)(char*);
    void (*getNumberOfEnums)(std::int32_t, std::int32_t*);
    void (*getNumberOfParameters)(std::int32_t*);
    void (*getRealParameterInfo)(std::int32_t, double*, double*, double*, std::int32_t*, char*, std::int32_t*);
    void (*getRealSpaceSolution)(double, double*);
    void (*initDll)();
    void (*setActiveLayerFullModel)(std::int32_t, const double*, double, double, double, double, double, double,
                                    double, double, double);
    void (*setDllPath)(const char*, std::int32_t);
    void (*skinImplementedYet)(std::int32_t*);
    void (*solutionType)(std::int32_t*);
    void (*support2P)(std::int32_t*);
};

std::string findModelLibrary(const std::string& explicitPath) {
    if (!explicitPath.empty()) return explicitPath;
    if (const char* env = std::getenv("QUENLOR_LIBRARY"); env && *env) return env;
    const std::string dir = programDirectory();
    if (!dir.empty()) {
        const std::filesystem::path beside = std::filesystem::path(dir) / kLibraryFile;
        std::error_code error;
        if (std::filesystem::exists(beside, error)) return beside.string();
    }
    return kLibraryFile;
}

ModelLibrary::ModelLibrary(const std::string& path) : path_(path) {
    // A bare file name goes to the loader's search; anything with a slash
    // is opened as that file.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        throw LibraryError("cannot load the model library " + path + ": " + (why ? why : "unknown reason") +
                           " (give its path with --library or QUENLOR_LIBRARY)");
    }
    auto f = std::make_unique<Functions>();
    auto resolve = [&](auto& pointer, const char* name) {
        void* symbol = ::dlsym(handle_, name);
        if (!symbol) {
            ::dlclose(handle_);
            handle_ = nullptr;
            throw LibraryError(path + " is not a model library: it does not export " + name);
        }
        pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(symbol);
    };
    resolve(f->cdImplementedYet, "EL_CDImplementedYet");
    resolve(f->getEnumDefaultIndex, "EL_GetEnumDefaultIndex");
    resolve(f->getMainParameterInfo, "EL_GetMainParameterInfo");
    resolve(f->getModelName, "EL_GetModelName");
    resolve(f->getNumberOfEnums, "EL_GetNumberOfEnums");
    resolve(f->getNumberOfParameters, "EL_GetNumberOfParameters");
    resolve(f->getRealParameterInfo, "EL_GetRealParameterInfo");
    resolve(f->getRealSpaceSolution, "EL_GetRealSpaceSolution");
    resolve(f->initDll, "EL_InitDll");
    resolve(f->setActiveLayerFullModel, "EL_SetActiveLayerFullModel");
    resolve(f->setDllPath, "EL_SetDllPath");
    resolve(f->skinImplementedYet, "EL_SkinImplementedYet");
    resolve(f->solutionType, "EL_SolutionType");
    resolve(f->support2P, "EL_Support2P");
    functions_ = f.release();
    functions_->initDll();
}

ModelLibrary::~ModelLibrary() {
    delete functions_;
    if (handle_) ::dlclose(handle_);
}

std::string ModelLibrary::modelName() const {
    char field[kTextField + 1] = {};
    functions_->getModelName(field);
    return fieldText(field);
}

int ModelLibrary::parameterCount() const {
    std::int32_t n = 0;
    functions_->getNumberOfParameters(&n);
    return n;
}

CatalogueInfo ModelLibrary::catalogueEntry(int index) const {
    char longName[kTextField + 1] = {};
    char shortName[kTextField + 1] = {};
    char label[kTextField + 1] = {};
    std::int32_t mainInfo = 0;
    std::int32_t realInfo = 0;
    CatalogueInfo info;
    functions_->getMainParameterInfo(index, longName, shortName, &mainInfo);
    functions_->getRealParameterInfo(index, &info.minimum, &info.maximum, &info.defaultValue, &info.unitCode, label,
                                     &realInfo);
    info.longName = fieldText(longName);
    info.shortName = fieldText(shortName);
    return info;
}

void ModelLibrary::setDataDirectory(const std::string& directory) const {
    functions_->setDllPath(directory.c_str(), static_cast<std::int32_t>(directory.size()));
}

void ModelLibrary::setActiveLayer(const std::array<double, kHostParameterCount>& p,
                                  const std::array<double, kHostLayerValueCount>& l) const {
    functions_->setActiveLayerFullModel(0, p.data(), l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
}

double ModelLibrary::solution(double hostTime) const {
    double p = 0.0;
    functions_->getRealSpaceSolution(hostTime, &p);
    return p;
}

}  // namespace quenlor
