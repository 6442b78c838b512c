// The model library as a host sees it: loaded at run time, used only
// through its exported EL_ functions.
//
// findModelLibrary picks the file to load: an explicit path (option), then
// the QUENLOR_LIBRARY environment variable, then libquenlor.so beside the
// running program (where the build puts both), then the dynamic loader's
// own search. ModelLibrary loads it and resolves all fourteen functions;
// a missing file or function is a LibraryError with the loader's message.
// The library keeps one process-wide state and runs its simulation inside
// setActiveLayer, so calls are made one at a time from one thread.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace quenlor {

struct LibraryError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One catalogue entry as the exported queries report it.
struct CatalogueInfo {
    std::string longName;
    std::string shortName;
    double minimum = 0.0;
    double maximum = 0.0;
    double defaultValue = 0.0;
    std::int32_t unitCode = 0;
};

inline constexpr int kHostParameterCount = 12;
inline constexpr int kHostLayerValueCount = 9;

// The file name or path to load; explicit may be empty.
std::string findModelLibrary(const std::string& explicitPath);

class ModelLibrary {
public:
    explicit ModelLibrary(const std::string& path);
    ~ModelLibrary();
    ModelLibrary(const ModelLibrary&) = delete;
    ModelLibrary& operator=(const ModelLibrary&) = delete;

    const std::string& path() const { return path_; }

    std::string modelName() const;
    int parameterCount() const;
    CatalogueInfo catalogueEntry(int index) const;  // index 1..12

    // EL_SetDllPath with the text's own length.
    void setDataDirectory(const std::string& directory) const;
    // EL_SetActiveLayerFullModel: runs the simulation when the data files
    // are found; returns when it has finished.
    void setActiveLayer(const std::array<double, kHostParameterCount>& parameters,
                        const std::array<double, kHostLayerValueCount>& layer) const;
    // EL_GetRealSpaceSolution: host dimensionless pressure at a host
    // dimensionless time.
    double solution(double hostTime) const;

private:
    struct Functions;
    void* handle_ = nullptr;
    std::string path_;
    Functions* functions_ = nullptr;
};

}  // namespace quenlor
