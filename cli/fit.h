// Matching the model to a measured fall-off: nonlinear least squares over
// the parameters the user names, with the other inputs held.
//
// Objective: the sum over the measured points of (dp_model - dp_data)^2,
// dp the pressure change since shut-in in psi (see fit_model.h), plus,
// with a derivative weight w > 0, w times the sum of the squared
// differences of their Bourdet derivatives (psi). The solver is GSL's
// trust-region nonlinear least squares (Levenberg-Marquardt steps, More's
// scaling), with a Jacobian by forward differences whose columns (one
// full model run each) run in parallel, one model state per thread.
//
// Each fitted parameter is solved for in a transformed variable y: ln v
// for a log-scaled parameter, v itself for a linear one. The bounds hold
// by a smooth map from an unbounded solver variable z to y:
//   both bounds:  y = a + (b - a)(1 + sin z)/2
//   lower only:   y = a + u (sqrt(1 + z^2) - 1)     (upper only: mirrored)
//   neither:      y = u z
// with u = 1 for log scale and the start's magnitude (else 1) for linear.
// A catalogue bound of 1e30 or more is "no bound"; a lower bound of 0 is
// open on log scale.
//
// Statistics at the solution, in y: J the Jacobian of the residuals by
// central differences, s^2 = SSR/(n - p), covariance C = s^2 (J^T J)^-1
// (by a singular value decomposition of the column-scaled J); the
// interval y +- t(1 - (1 - c)/2, n - p) sqrt(C_jj), Student's t at
// confidence c, mapped back to v (multiplicative for log scale). A
// direction of J whose singular value is below 1e-10 of the largest is
// one the data cannot see: the parameters it involves are reported as not
// determined, with no interval.
//
// The closure time acts on the model's curve only at the model's steps
// (see fit_model.h): its Jacobian column is a secant across two steps,
// other columns are taken with the dimensionless closure time held and
// the closure's secant added through their change of it, and the interval
// of t(close) is widened to the whole step that holds the fitted value.
// After the first solution the solver is restarted from the neighbouring
// steps of t(close), as long as one of them lowers the misfit.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "case_inputs.h"
#include "fit_model.h"

namespace quenlor {

enum class FitScale { linear, log };

struct FitParameter {
    int index = 0;  // catalogue index, 0-based
    std::string name;
    FitScale scale = FitScale::log;
    double lower = 0.0, upper = 0.0;  // bounds on the value; +-inf for none
    double start = 0.0;
};

// Catalogue values at or beyond this magnitude mean "no bound".
inline constexpr double kNoBound = 1e30;

// The parameter the user names, with its bounds (the catalogue's unless
// given) and scale (log when the bounds are not negative, span two decades
// or more and the start is positive; unless given). Throws InputError for
// an unknown name, bounds that are inverted or exclude the start, or a log
// scale for a value that is not positive.
FitParameter makeFitParameter(const std::vector<CatalogueInfo>& catalogue, const std::string& name,
                              const ModelInputs& start, std::optional<double> lower, std::optional<double> upper,
                              std::optional<FitScale> scale);

// The map between the solver's variable z and the transformed variable y.
struct FitTransform {
    FitScale scale;
    double lower, upper;  // bounds on y; +-inf for none
    double unit;
    double toY(double value) const;
    double toValue(double y) const;
    double yFromZ(double z) const;
    double zFromY(double y) const;
    double dYdZ(double z) const;
};
FitTransform fitTransform(const FitParameter& parameter);

struct FitSetup {
    std::string dataDirectory;  // the model's text, ending with '/'
    ModelInputs start;          // every input; the fitted ones at their start
    std::vector<FitParameter> parameters;
    double injectionHours = 0.0;
    std::vector<double> shutInHours;     // measured, hours
    std::vector<double> pressureChange;  // measured, psi
    double derivativeWeight = 0.0;       // 0: pressure change only
    double smoothingCycles = 0.1;
    int maxIterations = 100;
    int threads = 0;  // 0: the machine's cores
    double confidence = 0.95;
    bool trace = false;  // print the misfit and values at every iteration
};

struct ResidualStatistics {
    int count = 0;
    double rms = 0.0, mean = 0.0, maxAbs = 0.0;
    double maxAtHours = 0.0;  // shut-in time of the largest
};

struct FittedParameter {
    double value = 0.0;
    double low = 0.0, high = 0.0;  // the interval on the value
    double standardError = 0.0;    // of y (ln v for log scale)
    bool determined = true;        // false: the data cannot see it
    bool atBound = false;
    std::string note;              // how the interval was formed, when not as above
};

struct FitResult {
    bool converged = false;
    std::string stopReason;
    int iterations = 0;
    int closureStairsTried = 0;  // solves restarted from a neighbouring closure stair
    int modelRuns = 0;
    int threads = 1;
    double seconds = 0.0;
    ModelInputs best;                 // the fitted inputs (the best point reached)
    std::vector<FittedParameter> parameters;
    std::vector<std::vector<double>> correlation;  // NaN where not determined
    int degreesOfFreedom = 0;
    double studentT = 0.0;
    double standardError = 0.0;  // s, of the residuals as weighted
    double startCost = 0.0, cost = 0.0;  // half the sum of squared residuals
    ResidualStatistics pressure, derivative;
    ModelFallOff model;               // at the best point, derivative included
    std::vector<double> dataDerivative;
    std::vector<std::string> warnings;
};

// Throws InputError when the fit cannot start (too few points, a model
// that gives no response or does not reach the data at the start values).
FitResult fitFallOff(const FitSetup& setup);

}  // namespace quenlor
