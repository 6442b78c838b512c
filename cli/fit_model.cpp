#include "fit_model.h"

#include <cmath>
#include <numbers>

#include "diagnostics.h"
#include "interface/intake.h"
#include "interface/response_lookup.h"
#include "model_run.h"

namespace quenlor {

FallOffModel::FallOffModel(std::string dataDirectory)
    : directory_(std::move(dataDirectory)), state_(std::make_unique<ModelState>()) {}

ModelFallOff FallOffModel::evaluate(const ModelInputs& inputs, double tp, const std::vector<double>& dts,
                                    bool derivative, double smoothingCycles) {
    ModelState& state = *state_;
    setDataDirectory(state, directory_.data(), static_cast<int>(directory_.size()));
    double layer[kLayerValueCount];
    for (int i = 0; i < kLayerValueCount; ++i) layer[i] = inputs.layer[i];
    // An earlier run's rows must not stand in for a run that appends none.
    restartTable(state.table);
    setActiveLayer(state, kParameterCount, inputs.parameters.data(), layer);

    ModelFallOff out;
    const ResponseTable& table = state.table;
    // The lookup needs three rows after the origin.
    out.ran = table.count >= 4;
    if (!out.ran) return out;
    const UnitConversions units(inputs);
    out.firstRowHours = units.hours(units.hostTimeFromModelTime(table.time[2]));
    out.lastRowHours = units.hours(units.hostTimeFromModelTime(table.time[table.count]));
    // Inside the last row by a hair: the model reaches it by repeated
    // addition, and the lookup must not see a time beyond it.
    const auto hours = [&](double modelTime) { return units.hours(units.hostTimeFromModelTime(modelTime)); };
    const ControlRecord& c = state.control;
    const int equalPeriods = c.closureModel == 0 ? c.falloffPeriods : c.falloffPeriods + 1;
    out.tailStartHours = c.passCount == 1 ? hours(c.injectionDuration * equalPeriods) : out.lastRowHours;
    const double closure = state.derived.dimensionlessClosureTime;
    for (int i = 2; i <= table.count; ++i) {
        if (table.time[i] > closure) {
            out.closureStairLowHours = hours(table.time[i - 1]);
            out.closureStairHighHours = hours(table.time[i]);
            out.closureStepHours = out.closureStairHighHours - out.closureStairLowHours;
            break;
        }
    }
    const double lastAsked = out.lastRowHours * (1.0 - 1e-9);
    const auto response = [&](double hours) {
        if (hours > lastAsked) {
            ++out.pastLastRow;
            hours = lastAsked;
        }
        return units.psi(lookupResponse(state, units.hostTime(hours)));
    };
    const std::vector<FallOffPoint> points = superposeFallOff(response, tp, dts);
    out.pressureChange.reserve(points.size());
    for (const FallOffPoint& p : points) out.pressureChange.push_back(p.pressureChange);
    if (derivative) out.derivative = fallOffDerivative(tp, dts, out.pressureChange, smoothingCycles);
    return out;
}

std::vector<double> fallOffDerivative(double tp, const std::vector<double>& dts, const std::vector<double>& dp,
                                      double smoothingCycles) {
    std::vector<double> lnTe(dts.size());
    for (std::size_t i = 0; i < dts.size(); ++i) lnTe[i] = std::log(tp * dts[i] / (tp + dts[i]));
    return bourdetDerivative(lnTe, dp, smoothingCycles * std::numbers::ln10);
}

}  // namespace quenlor
