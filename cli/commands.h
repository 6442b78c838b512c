// The subcommands of the quenlor program: simulate, catalogue, check,
// sensitivity and fit. Each returns the process exit status: 0 done, 1
// the data or the run failed (the reasons are on standard error, one line
// each), 2 the command line or the case inputs were unusable.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "diagnostics.h"

namespace quenlor {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Where the model inputs come from: catalogue defaults and the documented
// default layer, then the case file, then layer options, then --param.
struct InputOptions {
    std::string caseFile;
    std::vector<std::string> layerAssignments;  // NAME=VALUE from the layer options
    std::vector<std::string> assignments;       // NAME=VALUE from --param
};

struct LibraryOptions {
    std::string library;  // empty: the usual search
    std::string data;     // empty: the default data directory
};

struct SimulateOptions {
    LibraryOptions where;
    InputOptions inputs;
    std::string output = "quenlor-output";
    int perDecade = 40;
    double smoothing = 0.1;  // log cycles
    std::optional<double> injectionHours;  // default: the model's own shut-in
    GAlpha gAlpha = GAlpha::linear;
    bool plots = true;
};

struct SensitivityOptions {
    SimulateOptions run;  // output, sampling and smoothing as for simulate
    std::string parameter;
    std::vector<std::string> values;  // empty: 0.5, 1 and 2 times the base value
};

struct CatalogueOptions {
    std::string library;
    bool csv = false;
};

struct CheckOptions {
    std::string directory;
    InputOptions inputs;
};

// quenlor fit: match the model's superposed fall-off to a measured one
// (see fit.h and docs/fit.md). Exit status 1 also when the fit does not
// converge (the best point reached is still reported and written).
struct FitOptions {
    std::string dataFile;
    std::string data;  // the model's data directory; empty: the default
    InputOptions inputs;
    std::vector<std::string> fit;     // parameter names
    std::vector<std::string> bounds;  // NAME=LOW:HIGH, either side may be empty
    std::vector<std::string> scales;  // NAME=log or NAME=linear
    std::optional<double> injectionHours;
    std::optional<double> rate;  // bbl/day: the layer's qB
    bool pressureChange = false;  // the second column is the change since shut-in
    std::optional<double> shutInPressure;
    double derivativeWeight = 0.0;
    double smoothing = 0.1;  // log cycles
    double confidence = 0.95;
    int maxIterations = 100;
    int threads = 0;  // 0: the machine's cores
    bool trace = false;
    std::string output = "quenlor-output";
    GAlpha gAlpha = GAlpha::linear;
    bool plots = true;
};

int runSimulate(const SimulateOptions& options);
int runFit(const FitOptions& options);
int runCatalogue(const CatalogueOptions& options);
int runCheck(const CheckOptions& options);
int runSensitivity(const SensitivityOptions& options);

}  // namespace quenlor
