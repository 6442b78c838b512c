#include "fit_report.h"

#include <fmt/format.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace quenlor {

namespace {

std::string g(double v) { return fmt::format("{:.6g}", v); }

std::string bound(double v) { return std::isfinite(v) ? g(v) : "none"; }

std::string interval(const FittedParameter& f) {
    if (!f.determined) return "not determined";
    return fmt::format("{} to {}", std::isfinite(f.low) ? g(f.low) : "-inf", std::isfinite(f.high) ? g(f.high) : "inf");
}

std::string residualLine(const char* what, const ResidualStatistics& s) {
    return fmt::format("{}: {} points, RMS {} psi, mean {} psi, largest {} psi at dt = {} h", what, s.count,
                       fmt::format("{:.4g}", s.rms), fmt::format("{:.3g}", s.mean),
                       fmt::format("{:.4g}", s.maxAbs), fmt::format("{:.4g}", s.maxAtHours));
}

}  // namespace

std::string fitReport(const FitDescription& d, const FitSetup& setup, const FitResult& r) {
    const int p = static_cast<int>(setup.parameters.size());
    std::string s;
    s += fmt::format("quenlor fit: {} parameter{} matched to {} points of {}\n", p, p == 1 ? "" : "s",
                     setup.shutInHours.size(), d.dataFile);
    s += fmt::format("  injection      {} h at qB = {} bbl/day; data directory {}\n", g(setup.injectionHours), g(d.rate),
                     d.dataDirectory);
    s += fmt::format("  objective      sum of squared pressure-change differences{}\n",
                     setup.derivativeWeight > 0.0
                         ? fmt::format(" + {} x squared derivative differences (window {} log cycle)",
                                       g(setup.derivativeWeight), g(setup.smoothingCycles))
                         : std::string());
    s += fmt::format("  result         {} after {} iteration{}{}: {}\n", r.converged ? "converged" : "NOT CONVERGED",
                     r.iterations, r.iterations == 1 ? "" : "s",
                     r.closureStairsTried > 0
                         ? fmt::format(" (with {} restart{} from a neighbouring closure step)", r.closureStairsTried,
                                       r.closureStairsTried == 1 ? "" : "s")
                         : std::string(),
                     r.stopReason);
    s += fmt::format("  misfit         half the sum of squares {} at the start, {} at the {}\n",
                     fmt::format("{:.6g}", r.startCost), fmt::format("{:.6g}", r.cost),
                     r.converged ? "solution" : "best point reached");
    s += fmt::format("  model runs     {} in {:.2f} s ({} thread{} for the Jacobian columns)\n", r.modelRuns, r.seconds,
                     r.threads, r.threads == 1 ? "" : "s");
    s += "\n";
    const std::string level = fmt::format("{:g} % interval", 100.0 * setup.confidence);
    s += fmt::format("  {:<16} {:>12} {:>12}   {:<28} {:<6} {}\n", "parameter", "start", "fitted", level, "scale",
                     "bounds");
    for (int j = 0; j < p; ++j) {
        const FitParameter& par = setup.parameters[j];
        const FittedParameter& f = r.parameters[j];
        s += fmt::format("  {:<16} {:>12} {:>12}   {:<28} {:<6} {} to {}{}\n", par.name, g(par.start), g(f.value),
                         interval(f), par.scale == FitScale::log ? "log" : "linear", bound(par.lower),
                         bound(par.upper), f.atBound ? " (at a bound)" : "");
    }
    for (int j = 0; j < p; ++j)
        if (!r.parameters[j].note.empty())
            s += fmt::format("  {}: {}\n", setup.parameters[j].name, r.parameters[j].note);
    s += fmt::format("  intervals: Student t = {} with {} degrees of freedom times the standard error of the\n"
                     "  transformed value (ln v on log scale, v on linear scale), from the covariance\n"
                     "  s^2 (J^T J)^-1 at the {}, mapped back to the value\n",
                     fmt::format("{:.4g}", r.studentT), r.degreesOfFreedom,
                     r.converged ? "solution" : "best point reached");
    if (p > 1) {
        s += "\n  correlation of the transformed values\n";
        s += fmt::format("  {:<16}", "");
        for (int k = 0; k < p; ++k) s += fmt::format(" {:>9}", setup.parameters[k].name.substr(0, 9));
        s += "\n";
        for (int j = 0; j < p; ++j) {
            s += fmt::format("  {:<16}", setup.parameters[j].name);
            for (int k = 0; k < p; ++k) {
                const double c = r.correlation[j][k];
                s += std::isnan(c) ? fmt::format(" {:>9}", "-") : fmt::format(" {:>9.3f}", c);
            }
            s += "\n";
        }
    }
    s += "\n";
    s += "  residuals (model - measured)\n";
    s += "    " + residualLine("pressure change", r.pressure) + "\n";
    if (setup.derivativeWeight > 0.0) s += "    " + residualLine("derivative     ", r.derivative) + "\n";
    s += fmt::format("    standard error of the fit s = {} psi{}, {} degrees of freedom\n",
                     fmt::format("{:.4g}", r.standardError),
                     setup.derivativeWeight > 0.0 ? " (derivative residuals weighted)" : "", r.degreesOfFreedom);
    return s;
}

std::vector<double> gTimesDerivative(double tp, const std::vector<double>& dts, const std::vector<double>& dp,
                                     double smoothingCycles, GAlpha alpha) {
    std::vector<double> lnDt(dts.size());
    for (std::size_t i = 0; i < dts.size(); ++i) lnDt[i] = std::log(dts[i]);
    std::vector<double> out = bourdetDerivative(lnDt, dp, smoothingCycles * std::numbers::ln10);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double x = dts[i] / tp;
        out[i] = nolteG(x, alpha) * out[i] / (x * nolteGSlope(x, alpha));
    }
    return out;
}

void writeMatchedCurves(const std::string& path, const std::string& preamble, const FitSetup& setup,
                        const FitResult& r, GAlpha alpha) {
    const double tp = setup.injectionHours;
    const std::vector<double>& dts = setup.shutInHours;
    const std::vector<double> gData = gTimesDerivative(tp, dts, setup.pressureChange, setup.smoothingCycles, alpha);
    const std::vector<double> gModel = gTimesDerivative(tp, dts, r.model.pressureChange, setup.smoothingCycles, alpha);
    std::ofstream out(path);
    out << preamble;
    out << "dt_hours,te_hours,G,dp_measured_psi,dp_model_psi,residual_psi,dp_dlnte_measured_psi,dp_dlnte_model_psi,"
           "G_dp_dG_measured_psi,G_dp_dG_model_psi\n";
    for (std::size_t i = 0; i < dts.size(); ++i) {
        out << fmt::format("{},{},{},{},{},{},{},{},{},{}\n", dts[i], tp * dts[i] / (tp + dts[i]),
                           nolteG(dts[i] / tp, alpha), setup.pressureChange[i], r.model.pressureChange[i],
                           r.model.pressureChange[i] - setup.pressureChange[i], r.dataDerivative[i],
                           r.model.derivative[i], gData[i], gModel[i]);
    }
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace quenlor
