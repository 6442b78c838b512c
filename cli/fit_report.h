// What `quenlor fit` prints and writes: the regression report (fitted
// values with their confidence intervals, the correlation matrix, the
// residual statistics, runs and time) and the matched curves as CSV.
//
// The matched-curves table has one row per measured point: dt_hours,
// te_hours (Agarwal's equivalent time tp dt/(tp + dt)), G (Nolte's
// G-function of dt/tp), the measured and model pressure change since
// shut-in (psi), the residual model - measured, the Bourdet derivatives
// over ln te of both, and G dp/dG of both (dp/dG = (dp/d ln dt) /
// (dtD dG/ddtD), dtD = dt/tp), all in psi.
#pragma once

#include <string>
#include <vector>

#include "diagnostics.h"
#include "fit.h"

namespace quenlor {

struct FitDescription {
    std::string dataFile;
    std::string dataDirectory;
    double rate = 0.0;  // bbl/day, qB
};

std::string fitReport(const FitDescription& description, const FitSetup& setup, const FitResult& result);

// The G-function derivative G dp/dG at the shut-in times, with the
// Bourdet window in log cycles.
std::vector<double> gTimesDerivative(double injectionHours, const std::vector<double>& shutInHours,
                                     const std::vector<double>& pressureChange, double smoothingCycles, GAlpha alpha);

// Writes the matched curves with preamble (comment lines) before the
// header; throws std::runtime_error when the file cannot be written.
void writeMatchedCurves(const std::string& path, const std::string& preamble, const FitSetup& setup,
                        const FitResult& result, GAlpha alpha);

}  // namespace quenlor
