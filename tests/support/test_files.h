// Scratch directories and data files for tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#if defined(_WIN32)
#include <filesystem>
#include <process.h>
#endif

#include "datafiles/control_file.h"
#include "state/model_state.h"

namespace quenlor::testing_support {

// A fresh directory under the system's temporary directory; the returned
// text ends with '/'.
#if defined(_WIN32)
inline std::string makeScratchDirectory() {
    // No mkdtemp on Windows: the process id and a counter make the name.
    static int serial = 0;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
        const std::filesystem::path dir =
            base / ("quenlor-test-" + std::to_string(_getpid()) + "-" + std::to_string(serial++));
        if (std::filesystem::create_directory(dir)) return dir.string() + "\\";
    }
}
#else
inline std::string makeScratchDirectory() {
    char pattern[] = "/tmp/quenlor-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) std::abort();
    return std::string(dir) + "/";
}
#endif

inline void writeText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// One control-file line for record n holding text in its value field.
inline std::string controlLine(int record, const std::string& field) {
    char label[16];
    std::snprintf(label, sizeof label, " rec%-7d", record);
    return std::string(label) + field + "\n";
}

// The control file's text for record values (reals written with a point
// and an exponent, so they read back exactly as the nearest double of
// their 13 significant digits).
inline std::string controlFileText(const ControlRecord& c) {
    std::string text;
    for (int n = 1; n <= kControlRecordCount; ++n) {
        const ControlFieldInfo& info = controlField(n);
        char field[32];
        if (info.kind == ControlFieldKind::integer)
            std::snprintf(field, sizeof field, "%8d", static_cast<int>(c.*info.integer));
        else
            std::snprintf(field, sizeof field, "%20.12E", c.*info.real);
        text += controlLine(n, field);
    }
    return text;
}

inline void writeGrid(const std::string& path, const std::function<double(int, int)>& value) {
    std::string text;
    char number[40];
    for (int a = 1; a <= kGridSize; ++a) {
        for (int b = 1; b <= kGridSize; ++b) {
            std::snprintf(number, sizeof number, "%.17g%s", value(a, b), b == kGridSize ? "\n" : " ");
            text += number;
        }
    }
    writeText(path, text);
}

// The default grid: apparent skin equal to the face skin.
inline void writeDefaultGrid(const std::string& directory) {
    writeGrid(directory + kGridFileName, [](int, int b) { return (b - 1) * 0.025; });
}

// A small, quick run: closure model 5, 12 injection steps, 2 fall-off
// periods, 12 tail steps.
inline ControlRecord smallControl() {
    ControlRecord c{};
    c.firstPassStartTime = 1e-4;
    c.firstPassEndTime = 0.1;
    c.fractureDiffusivity = 1000.0;
    c.e1CorrectionWeight = 0.0;
    c.injectionDuration = 0.01;
    c.linearPassStartTime = 1e-4;
    c.linearPassEndTime = 0.1;
    c.storageProductFactor = 1.0;
    c.fractureStorageFactor = 1.0;
    c.closedFractureCompliance = -20.0;
    c.closureWidthFraction = 0.5;
    c.simulationEndTime = 1.0;
    c.stehfestTerms = 12;
    c.passCount = 1;
    c.timeStepCount = 20;
    c.timeSpacingMode = 5;
    c.falloffPeriods = 2;
    c.stepsPerInjection = 12;
    c.closureModel = 5;
    return c;
}

// The catalogue's default parameters in catalogue order.
inline constexpr double kCatalogueDefaults[kParameterCount] = {
    300.0, 0.0, 200.0, 15.0, 15.0, 1.0, 20.0, 20.0, static_cast<double>(0.01f), 2.0, 130000.0, 0.25};

}  // namespace quenlor::testing_support

#include <cstring>
#include <memory>

#include "interface/intake.h"
#include "state/default_case.h"

namespace quenlor::testing_support {

// A model state with its own data directory, run through the intake as
// the host would run it.
struct ModelRun {
    std::unique_ptr<ModelState> state = std::make_unique<ModelState>();
    std::string dir = makeScratchDirectory();
    double parameters[kParameterCount];
    double layer[kLayerValueCount];

    ModelRun() {
        std::memcpy(parameters, kCatalogueDefaults, sizeof parameters);
        std::memcpy(layer, kDefaultLayerValues, sizeof layer);
        setDataDirectory(*state, dir.data(), static_cast<int>(dir.size()));
        writeDefaultGrid(dir);
    }
    void writeControl(const ControlRecord& c) { writeText(dir + kControlFileName, controlFileText(c)); }
    // Writes the control file and runs; returns what went to standard error.
    std::string run(const ControlRecord& c);
    void run() { setActiveLayer(*state, kParameterCount, parameters, layer); }
    const ResponseTable& table() const { return state->table; }
};

}  // namespace quenlor::testing_support
