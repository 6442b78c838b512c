#include "model_run.h"

#include <chrono>

#include "diagnostics.h"

namespace quenlor {

namespace {

constexpr double kDarcyTime = 0.0002637;   // hours, md, ft, cp, 1/psi
constexpr double kDarcyPressure = 141.2;   // psi, md, ft, bbl/day, cp
// Samples stay this far (relative) inside the last row's time, which the
// model reaches by repeated multiplication and may miss by a few ulps.
constexpr double kEndMargin = 1e-9;

}  // namespace

UnitConversions::UnitConversions(const ModelInputs& in) {
    const auto& l = in.layer;
    ce_ = quenlor::effectiveCompressibility(in);
    const double rw = l[kWellRadius];
    const double xf = in.parameters[kHalfLengthIndex];
    hoursPerHostTime_ = l[kPorosity] * l[kViscosity] * ce_ * rw * rw / (kDarcyTime * l[kPermeability]);
    hostPerModelTime_ = (xf * xf) / (rw * rw);
    psiPerHostPressure_ = kDarcyPressure * l[kRateFactor] * l[kViscosity] / (l[kPermeability] * l[kThickness]);
}

double UnitConversions::hours(double hostTime) const { return hostTime * hoursPerHostTime_; }
double UnitConversions::hostTime(double hours) const { return hours / hoursPerHostTime_; }
double UnitConversions::hostTimeFromModelTime(double modelTime) const { return modelTime * hostPerModelTime_; }
double UnitConversions::psi(double hostPressure) const { return hostPressure * psiPerHostPressure_; }

SimulationSpan simulationSpan(const ControlRecord& c) {
    if (c.passCount < 1 || c.timeSpacingMode != 5 || c.stepsPerInjection < 1)
        throw InputError("the control file makes no response rows (passCount " + std::to_string(c.passCount) +
                         ", timeSpacingMode " + std::to_string(c.timeSpacingMode) + ", stepsPerInjection " +
                         std::to_string(c.stepsPerInjection) + "; rows need 1 or more passes, mode 5 and steps)");
    SimulationSpan span{};
    span.firstRowTime = c.injectionDuration / c.stepsPerInjection;
    span.shutInTime = c.injectionDuration;
    if (c.passCount == 1) {
        span.lastRowTime = c.simulationEndTime;
        span.appendedRows = c.stepsPerInjection * (2 + c.falloffPeriods);
    } else {
        span.lastRowTime = c.injectionDuration;
        span.appendedRows = c.passCount * c.stepsPerInjection;
    }
    if (span.appendedRows < 3)
        throw InputError("the control file makes " + std::to_string(span.appendedRows) +
                         " response rows; the response lookup needs at least 3");
    return span;
}

double runModel(const ModelLibrary& library, const std::string& dataDirectory, const ModelInputs& inputs) {
    library.setDataDirectory(dataDirectory);
    const auto start = std::chrono::steady_clock::now();
    library.setActiveLayer(inputs.parameters, inputs.layer);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

ResponseCurve sampleResponse(const ModelLibrary& library, const ModelInputs& inputs, const SimulationSpan& span,
                             int perDecade, double smoothingCycles) {
    const UnitConversions units(inputs);
    const double first = units.hostTimeFromModelTime(span.firstRowTime);
    const double last = units.hostTimeFromModelTime(span.lastRowTime) * (1.0 - kEndMargin);
    ResponseCurve curve;
    curve.hostTime = logSpacedTimes(first, last, perDecade);
    for (double t : curve.hostTime) {
        const double p = library.solution(t);
        curve.hostPressure.push_back(p);
        curve.hours.push_back(units.hours(t));
        curve.psi.push_back(units.psi(p));
    }
    curve.derivativePsi = logTimeDerivative(curve.hours, curve.psi, smoothingCycles);
    return curve;
}

}  // namespace quenlor
