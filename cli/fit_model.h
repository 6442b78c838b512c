// The model's fall-off at measured shut-in times, computed in this
// process on the model core with a state record of its own, so that
// several can run at once on separate threads (one evaluator per thread).
//
// One evaluation is one full run of the simulation for the given inputs,
// then the host's superposition of the unit-rate response p(t) (psi, the
// host's groups converted with the layer values) over an injection of tp
// hours followed by shut-in:
//   dp(dt) = p(tp) - p(tp + dt) + p(dt),
// and, when asked, its Bourdet derivative over ln te, te = tp dt/(tp + dt),
// with the window in log cycles (as `quenlor simulate` computes its
// fall-off). Times past the simulation's last row are evaluated at that
// row (the model itself would repeat its previous answer); the result
// says how many were.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "case_inputs.h"
#include "state/model_state.h"

namespace quenlor {

struct ModelFallOff {
    std::vector<double> pressureChange;  // psi
    std::vector<double> derivative;      // psi, empty unless asked for
    bool ran = false;                    // the run appended rows
    int pastLastRow = 0;                 // times beyond the simulation's end
    double firstRowHours = 0.0;          // the simulation's first and last rows, hours
    double lastRowHours = 0.0;
    // Where the equal steps of the fall-off end and the geometric tail,
    // with rows far apart, begins (hours; the last row for a run of
    // several passes).
    double tailStartHours = 0.0;
    // The model closes the fracture at the first of its steps past the
    // closure time: its curve is the same for every t(close) from one row
    // time up to the next. The stair that holds t(close), hours from the
    // start of injection, and its width (all 0 when the closure lies
    // beyond the last row).
    double closureStairLowHours = 0.0, closureStairHighHours = 0.0;
    double closureStepHours = 0.0;
};

class FallOffModel {
public:
    // dataDirectory: the model's directory text, ending with '/'.
    explicit FallOffModel(std::string dataDirectory);

    ModelFallOff evaluate(const ModelInputs& inputs, double injectionHours, const std::vector<double>& shutInHours,
                          bool derivative, double smoothingCycles);

private:
    std::string directory_;
    std::unique_ptr<ModelState> state_;
};

// The Bourdet derivative of a fall-off over ln te (window in log cycles).
std::vector<double> fallOffDerivative(double injectionHours, const std::vector<double>& shutInHours,
                                      const std::vector<double>& pressureChange, double smoothingCycles);

}  // namespace quenlor
