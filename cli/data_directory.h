// The data directory handed to the model library (EL_SetDllPath).
//
// The model appends its file names ("e_Quenlor Input.dat",
// "e_Quenlor Sapp.txt") to the directory text with no separator and keeps
// at most 80 characters of it, so the text must end with '/' and be at
// most 80 characters long; a relative text is resolved by the model
// against the current directory.
//
// The default directory is the QUENLOR_DATA environment variable, else
// the model library's own directory when it holds both files (the host's
// installation), else the source tree's data/ folder the program was
// built from. Only for such a default is a too-long absolute text
// replaced by its shorter relative form.
#pragma once

#include <stdexcept>
#include <string>

namespace quenlor {

inline constexpr std::size_t kModelDirectoryLimit = 80;
inline constexpr char kControlFile[] = "e_Quenlor Input.dat";
inline constexpr char kGridFile[] = "e_Quenlor Sapp.txt";

struct DirectoryError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The text with a trailing '/' added when missing.
std::string withSeparator(const std::string& directory);

// Throws DirectoryError when the directory does not exist or its text
// (with the separator) is longer than the model reads. Returns the text.
std::string modelDirectoryText(const std::string& directory);

// Also requires both data files in the directory.
std::string modelDataDirectory(const std::string& directory);

// The default described above; libraryPath is the loaded library's file.
std::string defaultDataDirectory(const std::string& libraryPath, const std::string& builtInDirectory);

}  // namespace quenlor
