#include "fit.h"

#include <fmt/format.h>
#include <gsl/gsl_blas.h>
#include <gsl/gsl_cdf.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <thread>

namespace quenlor {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Forward-difference step: in ln v for log scale, relative to the larger
// of |v| and the unit for linear scale. The model's curve moves by rows of
// its table; a step of this size sees the trend, not the row structure.
constexpr double kJacobianStep = 1e-4;
// Singular values below this fraction of the largest are directions the
// data cannot see.
constexpr double kSingularFraction = 1e-10;
// Convergence: relative step of the solver's variables, scaled gradient.
constexpr double kStepTolerance = 1e-5;
constexpr double kGradientTolerance = 1e-8;
constexpr double kCostTolerance = 1e-4;
constexpr int kSlowIterations = 2;
// Neighbouring closure stairs tried after the first solution, at most.
constexpr int kClosureStairMoves = 4;

std::string formatValue(double v) { return fmt::format("{}", v); }

double clampToBounds(double y, const FitTransform& t) { return std::min(std::max(y, t.lower), t.upper); }

}  // namespace

// --- parameters and transforms ----------------------------------------------

FitParameter makeFitParameter(const std::vector<CatalogueInfo>& catalogue, const std::string& name,
                              const ModelInputs& start, std::optional<double> lower, std::optional<double> upper,
                              std::optional<FitScale> scale) {
    const int index = findParameter(catalogue, name);
    if (index < 0) {
        std::string names;
        for (const CatalogueInfo& e : catalogue) names += (names.empty() ? "" : ", ") + e.shortName;
        throw InputError("unknown parameter '" + name + "' to fit (parameters: " + names + " or their long names)");
    }
    const CatalogueInfo& e = catalogue[index];
    FitParameter p;
    p.index = index;
    p.name = e.shortName;
    p.start = start.parameters[index];
    const auto bound = [](double v, double none) { return std::fabs(v) >= kNoBound ? none : v; };
    p.lower = lower ? *lower : bound(e.minimum, -kInfinity);
    p.upper = upper ? *upper : bound(e.maximum, kInfinity);
    if (!(p.lower < p.upper))
        throw InputError(fmt::format("the bounds of {} are {} to {}; the lower must be below the upper", p.name,
                                     formatValue(p.lower), formatValue(p.upper)));
    if (p.start < p.lower || p.start > p.upper)
        throw InputError(fmt::format("the start value of {}, {}, lies outside its bounds {} to {} (set the start "
                                     "with -p {}=VALUE or widen the bounds with --bounds {}=LOW:HIGH)",
                                     p.name, formatValue(p.start), formatValue(p.lower), formatValue(p.upper), p.name,
                                     p.name));
    if (scale) {
        p.scale = *scale;
    } else {
        const bool spansDecades = p.lower >= 0.0 && (p.lower == 0.0 || p.upper >= 100.0 * p.lower);
        p.scale = spansDecades && p.start > 0.0 ? FitScale::log : FitScale::linear;
    }
    if (p.scale == FitScale::log && !(p.start > 0.0 && p.lower >= 0.0))
        throw InputError(fmt::format("{} cannot be fitted on a log scale from {} with bounds {} to {}: the start and "
                                     "the bounds must not be negative, the start above 0 (use --scale {}=linear)",
                                     p.name, formatValue(p.start), formatValue(p.lower), formatValue(p.upper),
                                     p.name));
    return p;
}

FitTransform fitTransform(const FitParameter& p) {
    FitTransform t{};
    t.scale = p.scale;
    if (p.scale == FitScale::log) {
        t.lower = p.lower > 0.0 ? std::log(p.lower) : -kInfinity;
        t.upper = std::isfinite(p.upper) ? std::log(p.upper) : kInfinity;
        t.unit = 1.0;
    } else {
        t.lower = p.lower;
        t.upper = p.upper;
        t.unit = p.start != 0.0 ? std::fabs(p.start) : 1.0;
    }
    return t;
}

double FitTransform::toY(double value) const { return scale == FitScale::log ? std::log(value) : value; }
double FitTransform::toValue(double y) const { return scale == FitScale::log ? std::exp(y) : y; }

double FitTransform::yFromZ(double z) const {
    const bool lo = std::isfinite(lower), hi = std::isfinite(upper);
    if (lo && hi) return lower + (upper - lower) * 0.5 * (1.0 + std::sin(z));
    if (lo) return lower + unit * (std::sqrt(1.0 + z * z) - 1.0);
    if (hi) return upper - unit * (std::sqrt(1.0 + z * z) - 1.0);
    return unit * z;
}

double FitTransform::zFromY(double y) const {
    const bool lo = std::isfinite(lower), hi = std::isfinite(upper);
    if (lo && hi) return std::asin(std::clamp(2.0 * (y - lower) / (upper - lower) - 1.0, -1.0, 1.0));
    if (lo || hi) {
        const double a = (lo ? y - lower : upper - y) / unit + 1.0;
        return std::sqrt(std::max(a * a - 1.0, 0.0));
    }
    return y / unit;
}

double FitTransform::dYdZ(double z) const {
    const bool lo = std::isfinite(lower), hi = std::isfinite(upper);
    if (lo && hi) return (upper - lower) * 0.5 * std::cos(z);
    if (lo) return unit * z / std::sqrt(1.0 + z * z);
    if (hi) return -unit * z / std::sqrt(1.0 + z * z);
    return unit;
}

// --- the least-squares problem ------------------------------------------------

namespace {

class FitProblem {
public:
    explicit FitProblem(const FitSetup& setup) : s_(setup) {
        for (const FitParameter& p : s_.parameters) transforms_.push_back(fitTransform(p));
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        int threads = s_.threads > 0 ? s_.threads : static_cast<int>(cores);
        threads = std::min({threads, static_cast<int>(cores), std::max(1, 2 * parameterCount())});
        threads_ = std::max(1, threads);
        for (int i = 0; i < threads_; ++i) models_.push_back(std::make_unique<FallOffModel>(s_.dataDirectory));
        if (s_.derivativeWeight > 0.0)
            dataDerivative_ = fallOffDerivative(s_.injectionHours, s_.shutInHours, s_.pressureChange,
                                                s_.smoothingCycles);
        double scale = 1.0;
        for (double v : s_.pressureChange) scale = std::max(scale, std::fabs(v));
        failedResidual_ = 1e6 * scale;
    }

    int parameterCount() const { return static_cast<int>(s_.parameters.size()); }
    const std::string& parameterName(std::size_t j) const { return s_.parameters[j].name; }
    int pointCount() const { return static_cast<int>(s_.shutInHours.size()); }
    int residualCount() const { return pointCount() * (s_.derivativeWeight > 0.0 ? 2 : 1); }
    int threads() const { return threads_; }
    int runs() const { return runs_.load(); }
    const std::vector<FitTransform>& transforms() const { return transforms_; }
    const std::vector<double>& dataDerivative() const { return dataDerivative_; }

    ModelInputs inputsAt(const std::vector<double>& y) const {
        ModelInputs in = s_.start;
        for (int j = 0; j < parameterCount(); ++j)
            in.parameters[s_.parameters[j].index] = transforms_[j].toValue(y[j]);
        return in;
    }

    ModelFallOff evaluate(const ModelInputs& in, int model, bool derivative) {
        ++runs_;
        return models_[model]->evaluate(in, s_.injectionHours, s_.shutInHours, derivative, s_.smoothingCycles);
    }
    ModelFallOff evaluate(const std::vector<double>& y, int model, bool derivative) {
        return evaluate(inputsAt(y), model, derivative);
    }

    // The residuals for the inputs, weighted as in the objective; a failed
    // run gives large ones, so that the solver steps back. closureStep:
    // the run's closureStepHours.
    std::vector<double> residuals(const ModelInputs& in, int model, double* closureStep = nullptr) {
        const bool withDerivative = s_.derivativeWeight > 0.0;
        const ModelFallOff m = evaluate(in, model, withDerivative);
        if (closureStep) *closureStep = m.closureStepHours;
        std::vector<double> r(residualCount(), failedResidual_);
        if (!m.ran) return r;
        const int n = pointCount();
        const double w = std::sqrt(s_.derivativeWeight);
        for (int i = 0; i < n; ++i) {
            r[i] = m.pressureChange[i] - s_.pressureChange[i];
            if (withDerivative) r[n + i] = w * (m.derivative[i] - dataDerivative_[i]);
        }
        for (double& v : r)
            if (!std::isfinite(v)) v = failedResidual_;
        return r;
    }
    std::vector<double> residuals(const std::vector<double>& y, int model, double* closureStep = nullptr) {
        return residuals(inputsAt(y), model, closureStep);
    }

    // Residuals at several points, in parallel, one model state per thread.
    std::vector<std::vector<double>> residualsAt(const std::vector<ModelInputs>& points) {
        std::vector<std::vector<double>> out(points.size());
        std::atomic<std::size_t> next{0};
        const auto work = [&](int model) {
            for (std::size_t k = next++; k < points.size(); k = next++) out[k] = residuals(points[k], model);
        };
        const int used = static_cast<int>(std::min<std::size_t>(threads_, points.size()));
        std::vector<std::thread> pool;
        for (int t = 1; t < used; ++t) pool.emplace_back(work, t);
        work(0);
        for (std::thread& t : pool) t.join();
        return out;
    }

    double step(int j, double y) const {
        const FitTransform& t = transforms_[j];
        return t.scale == FitScale::log ? kJacobianStep : kJacobianStep * std::max(std::fabs(y), t.unit);
    }

    // d r / d y, row-major (residual i, parameter j), by forward
    // differences from base (the residuals at y; steps away from a near
    // upper bound) or by central differences.
    //
    // The model closes the fracture at the first of its steps past the
    // dimensionless closure time tcD = 0.0002637 k t(close) / (phi mu ce
    // Xf^2), so its curve moves with tcD in stairs one step wide
    // (closureStepHours, converted to hours), and a small difference
    // would see either nothing or one stair's jump. The closure's part
    // is therefore taken apart: each column is differenced with tcD held
    // (t(close) moved against the change of Xf^2 ce), and the closure's
    // effect, dr/d ln tcD, is a secant across two stairs, added through
    // the column's change of ln tcD. The closure time's own column is that
    // secant.
    std::vector<double> jacobian(const std::vector<double>& y, const std::vector<double>& base, bool central,
                                 double closureStepHours) {
        const int p = parameterCount();
        const int m = residualCount();
        const ModelInputs at = inputsAt(y);
        const double tc = at.parameters[kClosureTimeIndex];
        const bool stairs = closureStepHours > 0.0 && tc >= 0.0;
        int closureColumn = -1;
        for (int j = 0; j < p; ++j)
            if (s_.parameters[j].index == kClosureTimeIndex) closureColumn = j;

        std::vector<ModelInputs> points;
        std::vector<double> h(p, 0.0), lnScale(2 * p, 0.0);
        const double baseScale = closureTimeScale(at);
        for (int j = 0; j < p; ++j) {
            if (j == closureColumn) continue;
            h[j] = step(j, y[j]);
            if (!central && y[j] + h[j] > transforms_[j].upper) h[j] = -h[j];
            for (int side = 0; side < (central ? 2 : 1); ++side) {
                std::vector<double> a = y;
                a[j] += side == 0 ? h[j] : -h[j];
                ModelInputs in = inputsAt(a);
                lnScale[2 * j + side] = closureTimeScale(in) - baseScale;
                if (stairs) in.parameters[kClosureTimeIndex] = tc * std::exp(-lnScale[2 * j + side]);
                points.push_back(in);
            }
        }
        // The closure's secant: in ln t(close), or in t(close) from 0.
        double hc = 0.0;
        const std::size_t closureAt = points.size();
        if (stairs) {
            if (tc > 0.0) {
                hc = std::max(kJacobianStep, std::log1p(2.0 * closureStepHours / tc));
                if (closureColumn >= 0 && !central && y[closureColumn] + hc > transforms_[closureColumn].upper &&
                    transforms_[closureColumn].scale == FitScale::log)
                    hc = -hc;
            }
            for (int side = 0; side < (central && tc > 0.0 ? 2 : 1); ++side) {
                ModelInputs in = at;
                in.parameters[kClosureTimeIndex] = tc > 0.0 ? tc * std::exp(side == 0 ? hc : -hc)
                                                            : 2.0 * closureStepHours;
                points.push_back(in);
            }
        }
        const std::vector<std::vector<double>> r = residualsAt(points);

        // dr/d ln tcD (dr/d t(close) when t(close) is 0).
        std::vector<double> closure(m, 0.0);
        if (stairs) {
            for (int i = 0; i < m; ++i) {
                if (tc == 0.0) closure[i] = (r[closureAt][i] - base[i]) / (2.0 * closureStepHours);
                else if (central) closure[i] = (r[closureAt][i] - r[closureAt + 1][i]) / (2.0 * hc);
                else closure[i] = (r[closureAt][i] - base[i]) / hc;
            }
        }
        std::vector<double> J(static_cast<std::size_t>(m) * p);
        std::size_t k = 0;
        for (int j = 0; j < p; ++j) {
            if (j == closureColumn) {
                const bool logScale = transforms_[j].scale == FitScale::log;
                for (int i = 0; i < m; ++i)
                    J[static_cast<std::size_t>(i) * p + j] =
                        tc > 0.0 && !logScale ? closure[i] / tc : closure[i];
                continue;
            }
            const std::vector<double>& plus = r[k];
            const std::vector<double>* minus = central ? &r[k + 1] : nullptr;
            k += central ? 2 : 1;
            const double dLnScale = central ? (lnScale[2 * j] - lnScale[2 * j + 1]) / (2.0 * h[j])
                                            : lnScale[2 * j] / h[j];
            const double through = stairs && tc > 0.0 ? dLnScale : 0.0;
            for (int i = 0; i < m; ++i) {
                const double held = central ? (plus[i] - (*minus)[i]) / (2.0 * h[j]) : (plus[i] - base[i]) / h[j];
                J[static_cast<std::size_t>(i) * p + j] = held + closure[i] * through;
            }
        }
        return J;
    }

    // ln of the factor of tcD that fitted parameters change: 1/(Xf^2 ce).
    static double closureTimeScale(const ModelInputs& in) {
        const double xf = in.parameters[kHalfLengthIndex];
        return -2.0 * std::log(xf) - std::log(effectiveCompressibility(in));
    }

    std::vector<double> yFromZ(const gsl_vector* z) const {
        std::vector<double> y(parameterCount());
        for (int j = 0; j < parameterCount(); ++j) y[j] = transforms_[j].yFromZ(gsl_vector_get(z, j));
        return y;
    }

    // The last residual evaluation, for the Jacobian's base.
    std::vector<double> lastY, lastResiduals;
    double lastClosureStep = 0.0;
    // The best point the solver's evaluations reached.
    std::vector<double> bestY;
    double bestCost = kInfinity;

    void remember(const std::vector<double>& y, const std::vector<double>& r, double closureStep) {
        lastY = y;
        lastResiduals = r;
        lastClosureStep = closureStep;
        double cost = 0.0;
        for (double v : r) cost += v * v;
        cost *= 0.5;
        if (cost < bestCost) {
            bestCost = cost;
            bestY = y;
        }
    }

private:
    const FitSetup& s_;
    std::vector<FitTransform> transforms_;
    std::vector<std::unique_ptr<FallOffModel>> models_;
    std::vector<double> dataDerivative_;
    double failedResidual_ = 1e6;
    int threads_ = 1;
    std::atomic<int> runs_{0};
};

int residualFunction(const gsl_vector* z, void* params, gsl_vector* f) {
    auto& problem = *static_cast<FitProblem*>(params);
    const std::vector<double> y = problem.yFromZ(z);
    double closureStep = 0.0;
    const std::vector<double> r = problem.residuals(y, 0, &closureStep);
    for (std::size_t i = 0; i < r.size(); ++i) gsl_vector_set(f, i, r[i]);
    problem.remember(y, r, closureStep);
    return GSL_SUCCESS;
}

int jacobianFunction(const gsl_vector* z, void* params, gsl_matrix* J) {
    auto& problem = *static_cast<FitProblem*>(params);
    const std::vector<double> y = problem.yFromZ(z);
    if (y != problem.lastY) {
        double closureStep = 0.0;
        const std::vector<double> r = problem.residuals(y, 0, &closureStep);
        problem.remember(y, r, closureStep);
    }
    const std::vector<double> jy = problem.jacobian(y, problem.lastResiduals, false, problem.lastClosureStep);
    const int p = problem.parameterCount();
    for (std::size_t i = 0; i < J->size1; ++i) {
        for (int j = 0; j < p; ++j) {
            const double dydz = problem.transforms()[j].dYdZ(gsl_vector_get(z, j));
            gsl_matrix_set(J, i, j, jy[i * p + j] * dydz);
        }
    }
    return GSL_SUCCESS;
}

// One line per iteration: the misfit and the values.
void traceIteration(std::size_t iteration, void* params, const gsl_multifit_nlinear_workspace* w) {
    auto& problem = *static_cast<FitProblem*>(params);
    const gsl_vector* f = gsl_multifit_nlinear_residual(w);
    double cost = 0.0;
    gsl_blas_ddot(f, f, &cost);
    const std::vector<double> y = problem.yFromZ(gsl_multifit_nlinear_position(w));
    std::string line = fmt::format("  iteration {:>3}: misfit {:.6g}, runs {}", iteration, 0.5 * cost, problem.runs());
    for (std::size_t j = 0; j < y.size(); ++j)
        line += fmt::format(", {} = {:.6g}", problem.parameterName(j), problem.transforms()[j].toValue(y[j]));
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

ResidualStatistics statistics(const std::vector<double>& r, std::size_t from, std::size_t count, double scale,
                              const std::vector<double>& hours) {
    ResidualStatistics s;
    s.count = static_cast<int>(count);
    if (count == 0) return s;
    double sum = 0.0, squares = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double v = r[from + i] / scale;
        sum += v;
        squares += v * v;
        if (std::fabs(v) >= s.maxAbs) {
            s.maxAbs = std::fabs(v);
            s.maxAtHours = hours[i];
        }
    }
    s.mean = sum / static_cast<double>(count);
    s.rms = std::sqrt(squares / static_cast<double>(count));
    return s;
}

// A warning when measured times reach the model's geometric tail, whose
// rows are far apart: there the curve is interpolated over long steps and
// the misfit moves in jumps as the parameters shift the times.
std::string tailWarning(const FitSetup& s, const ModelFallOff& m, const char* where) {
    int count = 0;
    double first = 0.0;
    for (double dt : s.shutInHours) {
        if (s.injectionHours + dt > m.tailStartHours) {
            if (count++ == 0) first = dt;
        }
    }
    if (count == 0) return {};
    return fmt::format("{} measured point{} from dt = {:.4g} h lie{} past the end of the model's equal steps at {:.4g} h "
                       "after the start of injection (at the {} values), in its tail of long steps; a control file "
                       "with more fall-off periods keeps the data in the equal steps",
                       count, count == 1 ? "" : "s", first, count == 1 ? "s" : "", m.tailStartHours, where);
}

// The runs test (Wald and Wolfowitz) on the signs of the pressure
// residuals: random errors change sign often; a model that misses the
// data's shape, or a fit stopped in a local minimum, leaves long runs of
// one sign. With n1 and n2 residuals of each sign and R runs, R is about
// normal with mean mu = 2 n1 n2 / n + 1 and variance
// (mu - 1)(mu - 2)/(n - 1); the warning is for z = (R - mu)/sigma below -3.
std::string runsWarning(const std::vector<double>& r, int n) {
    int positive = 0, negative = 0, runs = 0;
    int previous = 0;
    for (int i = 0; i < n; ++i) {
        const int sign = r[i] > 0.0 ? 1 : r[i] < 0.0 ? -1 : 0;
        if (sign == 0) continue;
        (sign > 0 ? positive : negative)++;
        if (sign != previous) ++runs;
        previous = sign;
    }
    const double total = positive + negative;
    if (positive == 0 || negative == 0 || total < 10) return {};
    const double mu = 2.0 * positive * negative / total + 1.0;
    const double variance = (mu - 1.0) * (mu - 2.0) / (total - 1.0);
    if (!(variance > 0.0)) return {};
    const double z = (runs - mu) / std::sqrt(variance);
    if (z >= -3.0) return {};
    return fmt::format("the pressure residuals change sign {} times where about {:.0f} would be expected of random "
                       "errors (runs test z = {:.1f}): the model does not follow the data's shape, so the intervals "
                       "understate the uncertainty; the fit may have stopped at a local minimum (try other start "
                       "values)",
                       runs - 1, mu - 1.0, z);
}

const char* stopReasonText(int info) {
    switch (info) {
        case 1: return "the step became small";
        case 2: return "the gradient became small";
        case 3: return "the misfit stopped falling";
        case 4: return "no step lowers the misfit further";
        default: return "the test was met";
    }
}

struct SolveOutcome {
    std::vector<double> y;  // the solver's point, or the best point reached
    double startCost = 0.0, cost = 0.0;
    int iterations = 0;
    bool converged = false;
    std::string stopReason;
};

// GSL's trust-region solver from y0, in the unbounded variables z.
SolveOutcome solve(FitProblem& problem, const std::vector<double>& y0, int maxIterations, bool trace) {
    const int p = problem.parameterCount();
    gsl_vector* z0 = gsl_vector_alloc(p);
    for (int j = 0; j < p; ++j) {
        const FitTransform& t = problem.transforms()[j];
        double z = t.zFromY(y0[j]);
        // A start on a bound is a stationary point of the map: nudge it.
        if (std::fabs(t.dYdZ(z)) < 1e-12 * std::max(1.0, std::fabs(t.unit))) z += (z > 0.0 ? -1e-2 : 1e-2);
        gsl_vector_set(z0, j, z);
    }
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = residualFunction;
    fdf.df = jacobianFunction;
    fdf.fvv = nullptr;
    fdf.n = static_cast<std::size_t>(problem.residualCount());
    fdf.p = static_cast<std::size_t>(p);
    fdf.params = &problem;
    gsl_multifit_nlinear_parameters parameters = gsl_multifit_nlinear_default_parameters();
    parameters.trs = gsl_multifit_nlinear_trs_lm;
    parameters.scale = gsl_multifit_nlinear_scale_more;
    parameters.solver = gsl_multifit_nlinear_solver_qr;
    gsl_multifit_nlinear_workspace* w =
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &parameters, fdf.n, fdf.p);
    gsl_error_handler_t* previousHandler = gsl_set_error_handler_off();
    problem.bestCost = std::numeric_limits<double>::infinity();
    problem.bestY.clear();
    int info = 0;
    int status = gsl_multifit_nlinear_init(z0, &fdf, w);
    SolveOutcome out;
    out.startCost = problem.bestCost;
    // GSL's tests of the step and the gradient, and a third: the misfit
    // falling by less than kCostTolerance (relative) in kSlowIterations
    // iterations running. A step that GSL cannot make lower the misfit at
    // all is a minimum to the model's resolution.
    if (status == GSL_SUCCESS) {
        if (trace) traceIteration(0, &problem, w);
        double previous = out.startCost;
        int slow = 0;
        status = GSL_CONTINUE;
        for (int iteration = 1; status == GSL_CONTINUE; ++iteration) {
            if (iteration > maxIterations) {
                status = GSL_EMAXITER;
                break;
            }
            const int stepStatus = gsl_multifit_nlinear_iterate(w);
            if (stepStatus == GSL_ENOPROG) {
                status = GSL_SUCCESS;
                info = 4;
                break;
            }
            if (stepStatus != GSL_SUCCESS) {
                status = stepStatus;
                break;
            }
            if (trace) traceIteration(static_cast<std::size_t>(iteration), &problem, w);
            status = gsl_multifit_nlinear_test(kStepTolerance, kGradientTolerance, 0.0, &info, w);
            const gsl_vector* f = gsl_multifit_nlinear_residual(w);
            double cost = 0.0;
            gsl_blas_ddot(f, f, &cost);
            cost *= 0.5;
            slow = previous - cost <= kCostTolerance * cost ? slow + 1 : 0;
            previous = cost;
            if (status == GSL_CONTINUE && slow >= kSlowIterations) {
                status = GSL_SUCCESS;
                info = 3;
            }
        }
    }
    out.iterations = static_cast<int>(gsl_multifit_nlinear_niter(w));
    out.converged = status == GSL_SUCCESS;
    if (out.converged) {
        out.stopReason = stopReasonText(info);
    } else if (status == GSL_EMAXITER) {
        out.stopReason = fmt::format("no convergence within {} iterations", maxIterations);
    } else {
        out.stopReason = std::string("no convergence: ") + gsl_strerror(status);
    }
    // The solver's point, or the best point any evaluation reached.
    out.y = problem.yFromZ(gsl_multifit_nlinear_position(w));
    gsl_multifit_nlinear_free(w);
    gsl_vector_free(z0);
    gsl_set_error_handler(previousHandler);
    double cost = 0.0;
    for (double v : problem.residuals(out.y, 0)) cost += 0.5 * v * v;
    out.cost = cost;
    if (problem.bestCost < cost) {
        out.y = problem.bestY;
        out.cost = problem.bestCost;
    }
    return out;
}

}  // namespace

// --- the fit ----------------------------------------------------------------

FitResult fitFallOff(const FitSetup& setup) {
    const auto started = std::chrono::steady_clock::now();
    const int p = static_cast<int>(setup.parameters.size());
    const int n = static_cast<int>(setup.shutInHours.size());
    if (p < 1) throw InputError("no parameter to fit: name one or more with --fit");
    if (n <= p)
        throw InputError(fmt::format("the data have {} point{} after shut-in for {} parameter{}; a fit needs more "
                                     "points than parameters",
                                     n, n == 1 ? "" : "s", p, p == 1 ? "" : "s"));
    FitProblem problem(setup);
    FitResult result;
    result.threads = problem.threads();
    const int m = problem.residualCount();

    std::vector<double> y0(p);
    for (int j = 0; j < p; ++j) y0[j] = problem.transforms()[j].toY(setup.parameters[j].start);
    {
        const ModelFallOff first = problem.evaluate(y0, 0, false);
        if (!first.ran)
            throw InputError("the model gives no response for the start values (quenlor check on the data directory "
                             "lists problems with the data files)");
        if (first.pastLastRow > 0)
            throw InputError(fmt::format("the data reach {} h after the start of injection, but the model's "
                                         "simulation ends at {} h for the start values; use a control file with a "
                                         "later end time",
                                         formatValue(setup.injectionHours + setup.shutInHours.back()),
                                         fmt::format("{:.4g}", first.lastRowHours)));
        if (const std::string w = tailWarning(setup, first, "start"); !w.empty()) result.warnings.push_back(w);
        if (setup.shutInHours.front() < first.firstRowHours)
            result.warnings.push_back(fmt::format(
                "the first measured time, {} h, comes before the model's first row at {:.4g} h; the model's value "
                "there is extrapolated",
                formatValue(setup.shutInHours.front()), first.firstRowHours));
    }

    SolveOutcome outcome = solve(problem, y0, setup.maxIterations, setup.trace);
    result.startCost = outcome.startCost;
    // The closure time moves the curve in stairs, and the smooth parameters
    // can settle on a stair next to the best one: the neighbouring stairs
    // are tried from the solution, while one lowers the misfit.
    const auto closure = std::find_if(setup.parameters.begin(), setup.parameters.end(),
                                      [](const FitParameter& q) { return q.index == kClosureTimeIndex; });
    if (closure != setup.parameters.end() && outcome.converged) {
        const int jc = static_cast<int>(closure - setup.parameters.begin());
        const FitTransform& t = problem.transforms()[jc];
        int cameFrom = 0;  // +1: from the stair above, -1: from below
        for (int move = 0; move < kClosureStairMoves; ++move) {
            const ModelFallOff m = problem.evaluate(outcome.y, 0, false);
            if (!(m.closureStepHours > 0.0)) break;
            bool improved = false;
            for (int side : {1, -1}) {
                if (side == cameFrom) continue;
                const double tc = side > 0 ? m.closureStairHighHours + 0.5 * m.closureStepHours
                                           : m.closureStairLowHours - 0.5 * m.closureStepHours;
                if (!(tc > 0.0) || t.toY(tc) <= t.lower || t.toY(tc) >= t.upper) continue;
                std::vector<double> y1 = outcome.y;
                y1[jc] = t.toY(tc);
                SolveOutcome next = solve(problem, y1, setup.maxIterations, setup.trace);
                ++result.closureStairsTried;
                if (next.converged && next.cost < outcome.cost * (1.0 - 1e-12)) {
                    next.iterations += outcome.iterations;
                    next.startCost = outcome.startCost;
                    outcome = next;
                    cameFrom = -side;
                    improved = true;
                    break;
                }
                outcome.iterations += next.iterations;
            }
            if (!improved) break;
        }
    }
    result.iterations = outcome.iterations;
    result.converged = outcome.converged;
    result.stopReason = outcome.stopReason;
    std::vector<double> y = outcome.y;
    for (int j = 0; j < p; ++j) y[j] = clampToBounds(y[j], problem.transforms()[j]);

    // Statistics at the solution.
    double closureStep = 0.0;
    const std::vector<double> r = problem.residuals(y, 0, &closureStep);
    const std::vector<double> J = problem.jacobian(y, r, true, closureStep);
    double ssr = 0.0;
    for (double v : r) ssr += v * v;
    result.cost = 0.5 * ssr;
    result.degreesOfFreedom = m - p;
    result.standardError = std::sqrt(ssr / result.degreesOfFreedom);
    const double alpha = 1.0 - setup.confidence;
    result.studentT = gsl_cdf_tdist_Pinv(1.0 - alpha / 2.0, result.degreesOfFreedom);

    // C = s^2 (J^T J)^-1 by the SVD of J with unit columns: J = U S V^T D.
    std::vector<double> norm(p, 0.0);
    for (int j = 0; j < p; ++j) {
        for (int i = 0; i < m; ++i) norm[j] += J[static_cast<std::size_t>(i) * p + j] * J[static_cast<std::size_t>(i) * p + j];
        norm[j] = std::sqrt(norm[j]);
    }
    gsl_matrix* A = gsl_matrix_alloc(m, p);
    gsl_matrix* V = gsl_matrix_alloc(p, p);
    gsl_vector* S = gsl_vector_alloc(p);
    gsl_vector* work = gsl_vector_alloc(p);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < p; ++j)
            gsl_matrix_set(A, i, j, norm[j] > 0.0 ? J[static_cast<std::size_t>(i) * p + j] / norm[j] : 0.0);
    gsl_linalg_SV_decomp(A, V, S, work);
    const double sMax = gsl_vector_get(S, 0);
    std::vector<bool> determined(p, true);
    std::vector<double> inverse(static_cast<std::size_t>(p) * p, 0.0);
    for (int k = 0; k < p; ++k) {
        const double sk = gsl_vector_get(S, k);
        if (!(sMax > 0.0) || sk <= kSingularFraction * sMax) {
            for (int j = 0; j < p; ++j)
                if (std::fabs(gsl_matrix_get(V, j, k)) > 1e-6 || norm[j] == 0.0) determined[j] = false;
            continue;
        }
        for (int a = 0; a < p; ++a)
            for (int b = 0; b < p; ++b)
                inverse[a * p + b] += gsl_matrix_get(V, a, k) * gsl_matrix_get(V, b, k) / (sk * sk);
    }
    for (int j = 0; j < p; ++j)
        if (norm[j] == 0.0) determined[j] = false;
    gsl_matrix_free(A);
    gsl_matrix_free(V);
    gsl_vector_free(S);
    gsl_vector_free(work);
    const double s2 = ssr / result.degreesOfFreedom;
    const auto covariance = [&](int a, int b) { return s2 * inverse[a * p + b] / (norm[a] * norm[b]); };

    result.best = problem.inputsAt(y);
    result.model = problem.evaluate(y, 0, true);
    result.correlation.assign(p, std::vector<double>(p, kNaN));
    for (int j = 0; j < p; ++j) {
        const FitTransform& t = problem.transforms()[j];
        const FitParameter& par = setup.parameters[j];
        FittedParameter f;
        f.value = t.toValue(y[j]);
        f.determined = determined[j];
        const double span = std::isfinite(t.upper - t.lower) ? t.upper - t.lower : std::max(std::fabs(y[j]), t.unit);
        f.atBound = std::fabs(y[j] - t.lower) <= 1e-9 * span || std::fabs(t.upper - y[j]) <= 1e-9 * span;
        if (f.determined) {
            f.standardError = std::sqrt(covariance(j, j));
            const double half = result.studentT * f.standardError;
            f.low = t.toValue(y[j] - half);
            f.high = t.toValue(y[j] + half);
            for (int k = 0; k < p; ++k)
                if (determined[k])
                    result.correlation[j][k] = covariance(j, k) / std::sqrt(covariance(j, j) * covariance(k, k));
            const bool wide = t.scale == FitScale::log ? half > std::numbers::ln2
                                                       : half > std::max(std::fabs(y[j]), 1e-300);
            if (wide)
                result.warnings.push_back(fmt::format(
                    "{} is poorly determined by the data: its {:g} % interval runs from {:.4g} to {:.4g}", par.name,
                    100.0 * setup.confidence, f.low, f.high));
        } else {
            f.standardError = kInfinity;
            f.low = -kInfinity;
            f.high = kInfinity;
            result.warnings.push_back(fmt::format(
                "{} is not determined by the data: the fitted curve does not change with it (or only together "
                "with another fitted parameter); its value {:.6g} is not a result",
                par.name, f.value));
        }
        const ModelFallOff& m = result.model;
        if (par.index == kClosureTimeIndex && f.determined && m.closureStepHours > 0.0) {
            f.low = std::min(f.low, m.closureStairLowHours);
            f.high = std::max(f.high, m.closureStairHighHours);
            f.note = fmt::format("the model closes at its first step past t(close): every t(close) from {:.6g} to "
                                 "{:.6g} h gives the same curve, and the interval holds that step",
                                 m.closureStairLowHours, m.closureStairHighHours);
        }
        if (f.atBound)
            result.warnings.push_back(fmt::format("{} = {:.6g} is at a bound of its range {} to {}", par.name, f.value,
                                                  formatValue(par.lower), formatValue(par.upper)));
        result.parameters.push_back(f);
    }

    result.pressure = statistics(r, 0, n, 1.0, setup.shutInHours);
    if (setup.derivativeWeight > 0.0)
        result.derivative = statistics(r, n, n, std::sqrt(setup.derivativeWeight), setup.shutInHours);
    result.dataDerivative = fallOffDerivative(setup.injectionHours, setup.shutInHours, setup.pressureChange,
                                              setup.smoothingCycles);
    if (const std::string w = tailWarning(setup, result.model, "fitted"); !w.empty()) result.warnings.push_back(w);
    if (const std::string w = runsWarning(r, n); !w.empty()) result.warnings.push_back(w);
    if (result.model.pastLastRow > 0)
        result.warnings.push_back(fmt::format(
            "at the fitted values the model's simulation ends at {:.4g} h, before the last measured time; the model "
            "was held at its last row there",
            result.model.lastRowHours));
    result.modelRuns = problem.runs();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

}  // namespace quenlor
