// Helpers for the command's tests: scratch data directories built from
// the small test control file and the shipped grid, running the program
// and capturing what it prints, reading its CSV tables and PNG headers,
// and the model library loaded directly, for the library's own answers.
#pragma once

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "model_library.h"
#include "state/default_case.h"

namespace quenlor::cli_testing {

namespace fs = std::filesystem;

inline const std::string kProgram = QUENLOR_CLI_PATH;
inline const std::string kLibrary = QUENLOR_LIBRARY_PATH;
inline const std::string kSourceDir = QUENLOR_SOURCE_DIR;
inline const std::string kControlName = "e_Quenlor Input.dat";
inline const std::string kGridName = "e_Quenlor Sapp.txt";

// A fresh directory under /tmp (short, so it fits the model's 80
// characters); the text ends with '/'.
inline std::string scratchDirectory() {
    char pattern[] = "/tmp/quenlor-cli-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (!dir) throw std::runtime_error("mkdtemp failed");
    return std::string(dir) + "/";
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

inline std::string joinLines(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& l : list) text += l + "\n";
    return text;
}

// The small test control file's forty lines.
inline std::vector<std::string> smallControlLines() {
    return lines(readText(kSourceDir + "/tests/cli/data/small-control.dat"));
}

// A data directory with the given control text and the shipped grid.
inline std::string dataDirectory(const std::string& controlText) {
    const std::string dir = scratchDirectory();
    writeText(dir + kControlName, controlText);
    fs::copy_file(kSourceDir + "/data/" + kGridName, dir + kGridName);
    return dir;
}

inline std::string smallDataDirectory() { return dataDirectory(joinLines(smallControlLines())); }

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program with args in directory cwd (empty: a scratch one);
// env entries are set (an empty value unsets).
inline CommandResult runQuenlor(const std::vector<std::string>& args, std::string cwd = {},
                                const std::vector<std::pair<std::string, std::string>>& env = {}) {
    if (cwd.empty()) cwd = scratchDirectory();
    const std::string capture = scratchDirectory();
    const std::string outPath = capture + "out.txt";
    const std::string errPath = capture + "err.txt";
    std::vector<std::string> argv = {kProgram};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (::chdir(cwd.c_str()) != 0) ::_exit(125);
        for (const auto& [name, value] : env) {
            if (value.empty()) ::unsetenv(name.c_str());
            else ::setenv(name.c_str(), value.c_str(), 1);
        }
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) ::_exit(125);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> raw;
        for (std::string& a : argv) raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execv(kProgram.c_str(), raw.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    CommandResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = readText(outPath);
    r.err = readText(errPath);
    return r;
}

// A CSV table: '#' comment lines, a header, rows of numbers.
struct Csv {
    std::vector<std::string> columns;
    std::vector<std::vector<double>> rows;
    std::vector<std::string> comments;

    int column(const std::string& name) const {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == name) return static_cast<int>(i);
        throw std::runtime_error("no column " + name);
    }
    std::vector<double> values(const std::string& name) const {
        const int c = column(name);
        std::vector<double> out;
        for (const auto& r : rows) out.push_back(r[c]);
        return out;
    }
};

inline Csv readCsv(const std::string& path) {
    Csv csv;
    for (const std::string& line : lines(readText(path))) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            csv.comments.push_back(line);
            continue;
        }
        std::vector<std::string> cells;
        std::stringstream s(line);
        for (std::string cell; std::getline(s, cell, ',');) cells.push_back(cell);
        if (csv.columns.empty()) {
            csv.columns = cells;
            continue;
        }
        std::vector<double> row;
        for (const std::string& c : cells) {
            std::size_t used = 0;
            row.push_back(std::stod(c, &used));
            if (used != c.size()) throw std::runtime_error("not a number in " + path + ": " + c);
        }
        if (row.size() != csv.columns.size()) throw std::runtime_error("ragged row in " + path);
        csv.rows.push_back(row);
    }
    return csv;
}

// Width and height from a PNG file's signature and IHDR chunk; {0, 0}
// when the file is not a PNG image.
inline std::pair<std::uint32_t, std::uint32_t> pngSize(const std::string& path) {
    const std::string bytes = readText(path);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (bytes.size() < 33 || bytes.compare(0, 8, reinterpret_cast<const char*>(signature), 8) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto be32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return {be32(16), be32(20)};
}

// The model library loaded directly, for the answers a host would get.
class LoadedModel {
public:
    LoadedModel() {
        handle_ = ::dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) throw std::runtime_error(::dlerror());
        setPath_ = reinterpret_cast<SetPath>(::dlsym(handle_, "EL_SetDllPath"));
        setLayer_ = reinterpret_cast<SetLayer>(::dlsym(handle_, "EL_SetActiveLayerFullModel"));
        solution_ = reinterpret_cast<Solution>(::dlsym(handle_, "EL_GetRealSpaceSolution"));
        if (!setPath_ || !setLayer_ || !solution_) throw std::runtime_error("missing EL_ functions");
    }
    ~LoadedModel() { ::dlclose(handle_); }
    LoadedModel(const LoadedModel&) = delete;
    LoadedModel& operator=(const LoadedModel&) = delete;

    void run(const std::string& dir, const std::array<double, 12>& p, const std::array<double, 9>& l) {
        setPath_(dir.c_str(), static_cast<std::int32_t>(dir.size()));
        setLayer_(0, p.data(), l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
    }
    double solution(double t) const {
        double p = 0.0;
        solution_(t, &p);
        return p;
    }

private:
    using SetPath = void (*)(const char*, std::int32_t);
    using SetLayer = void (*)(std::int32_t, const double*, double, double, double, double, double, double, double,
                              double, double);
    using Solution = void (*)(double, double*);
    void* handle_ = nullptr;
    SetPath setPath_ = nullptr;
    SetLayer setLayer_ = nullptr;
    Solution solution_ = nullptr;
};

// The documented defaults: the catalogue's parameters (the closure time
// is the single-precision 0.01 the catalogue hands over) and the
// documented default layer, which is still being tuned and so is taken
// from its one definition.
inline std::array<double, 12> defaultParameters() {
    return {300.0, 0.0, 200.0, 15.0, 15.0, 1.0, 20.0, 20.0, static_cast<double>(0.01f), 2.0, 130000.0, 0.25};
}
inline std::array<double, 9> defaultLayer() {
    std::array<double, 9> l{};
    for (int i = 0; i < 9; ++i) l[i] = kDefaultLayerValues[i];
    return l;
}

// The published catalogue (long name, short name, minimum, maximum,
// default, unit code); single-precision values widened as handed over.
inline std::vector<CatalogueInfo> publishedCatalogue() {
    return {
        {"Wellbore Volume", "Vw", 0.10000000149011612, 1e30, 300, 26},
        {"Fracture Face Skin", "S(Fracture)", 0, 10000, 0, 30},
        {"Fracture Half Length", "Xf", 0.5, 1e30, 200, 2},
        {"1st Frac part-Height", "hf1", 0.5, 1e30, 15, 2},
        {"2st Frac part-Height", "hf2", 0.5, 1e30, 15, 2},
        {"Dimensionless Fracture Conductivity", "FcD", 0.20000000298023224, 1e30, 1, 30},
        {"1st Stress Ht Contrast", "S1", 0, 1e30, 20, 1},
        {"2nd Stress Ht Contrast", "S2", 0, 1e30, 20, 1},
        {"Time Fracture Close", "t(close)", 0, 1e30, 0.009999999776482582, 0},
        {"Shrinkage delay", "Shrinkage delay", 0, 1e30, 2, 30},
        {"Young modulus", "Young's modulus", 10000, 1e30, 130000, 1},
        {"Poisson ratio", "Poisson's ratio", 0.009999999776482582, 0.9900000095367432, 0.25, 30},
    };
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline int lineCount(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

}  // namespace quenlor::cli_testing
