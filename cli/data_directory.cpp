#include "data_directory.h"

#include <cstdlib>
#include <filesystem>

namespace quenlor {

namespace fs = std::filesystem;

namespace {

bool hasDataFiles(const fs::path& dir) {
    std::error_code e;
    return fs::is_regular_file(dir / kControlFile, e) && fs::is_regular_file(dir / kGridFile, e);
}

}  // namespace

std::string withSeparator(const std::string& directory) {
    if (directory.empty()) return "./";
    return directory.back() == '/' ? directory : directory + '/';
}

std::string modelDirectoryText(const std::string& directory) {
    std::error_code e;
    if (!fs::exists(directory, e)) throw DirectoryError("the data directory " + directory + " does not exist");
    if (!fs::is_directory(directory, e)) throw DirectoryError(directory + " is not a directory");
    const std::string text = withSeparator(directory);
    if (text.size() > kModelDirectoryLimit) {
        throw DirectoryError("the data directory " + text + " is " + std::to_string(text.size()) +
                             " characters long; the model keeps only " + std::to_string(kModelDirectoryLimit) +
                             " and would not find its files (give a shorter or relative path, or copy the two "
                             "data files to a shorter one)");
    }
    return text;
}

std::string modelDataDirectory(const std::string& directory) {
    const std::string text = modelDirectoryText(directory);
    for (const char* name : {kControlFile, kGridFile}) {
        std::error_code e;
        if (!fs::is_regular_file(fs::path(text) / name, e))
            throw DirectoryError("the data directory " + text + " has no '" + name +
                                 "'; the model needs it to run (see: quenlor check " + text + ")");
    }
    return text;
}

std::string defaultDataDirectory(const std::string& libraryPath, const std::string& builtInDirectory) {
    if (const char* env = std::getenv("QUENLOR_DATA"); env && *env) return env;
    std::string chosen = builtInDirectory;
    const fs::path libraryDir = fs::path(libraryPath).parent_path();
    if (!libraryDir.empty() && hasDataFiles(libraryDir)) chosen = libraryDir.string();
    if (withSeparator(chosen).size() > kModelDirectoryLimit) {
        std::error_code e;
        const fs::path relative = fs::relative(chosen, fs::current_path(e), e);
        if (!e && !relative.empty() && withSeparator(relative.string()).size() <= kModelDirectoryLimit)
            chosen = relative.string();
    }
    return chosen;
}

}  // namespace quenlor
