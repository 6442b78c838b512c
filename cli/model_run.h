// One run of the model through its exported interface, and the response
// sampled from it in the host's groups and in field units.
//
// Host groups (the layer's well radius rw and thickness h):
//   tD = 0.0002637 k t / (phi mu ce rw^2),  t in hours
//   pD = k h dp / (141.2 qB mu),            dp in psi
// with ce = ct + 3 (1 - 2 nu)/(E phi). The simulation itself counts time
// on the half length, tD(Xf) = tD rw^2 / Xf^2; its shut-in is the control
// file's injection duration and its curve ends at the control file's end
// time (a single-pass, equal-step run), or at the end of injection when
// the run makes several passes. Times beyond the last row are never asked
// for, because the model answers those with its previous result.
#pragma once

#include <string>
#include <vector>

#include "case_inputs.h"
#include "model_library.h"
#include "state/model_state.h"

namespace quenlor {

class UnitConversions {
public:
    explicit UnitConversions(const ModelInputs& inputs);
    double hours(double hostTime) const;
    double hostTime(double hours) const;
    double hostTimeFromModelTime(double modelTime) const;
    double psi(double hostPressure) const;
    double effectiveCompressibility() const { return ce_; }

private:
    double hoursPerHostTime_;
    double hostPerModelTime_;
    double psiPerHostPressure_;
    double ce_;
};

// The simulation's time span, on the half-length time base.
struct SimulationSpan {
    double firstRowTime;   // the first row after the origin
    double lastRowTime;    // the last row
    double shutInTime;     // end of injection
    int appendedRows;
};

// Throws InputError when the control record makes no response rows.
SimulationSpan simulationSpan(const ControlRecord& control);

struct ResponseCurve {
    std::vector<double> hostTime, hostPressure, hours, psi, derivativePsi;
};

// Sets the data directory and the inputs (which runs the simulation) and
// returns the run's wall time in seconds.
double runModel(const ModelLibrary& library, const std::string& dataDirectory, const ModelInputs& inputs);

// Samples the last run at log-spaced times covering the span.
ResponseCurve sampleResponse(const ModelLibrary& library, const ModelInputs& inputs, const SimulationSpan& span,
                             int perDecade, double smoothingCycles);

}  // namespace quenlor
