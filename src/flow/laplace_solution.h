// Laplace transform of the dimensionless wellbore pressure of a well with
// a vertical fracture of finite conductivity in an infinite reservoir.
//
// Trilinear-flow form (reservoir, outer reservoir and fracture in series),
// with a face-skin term in the flow from the formation into the fracture:
//   u = sqrt(s + sqrt(s)),  a = sqrt(s/eta + (2/FcD) u / (1 + F u)),
//   p(s) = pi / (FcD s a tanh a),
// multiplied by an empirical correction 1 - K E1(sqrt(H s)) that fades as
// s grows. F = 2 S/pi with S the apparent face skin, K and H from the
// control file and the set-up. No wellbore or fracture storage: the
// inversion applies the storage. Requires s > 0, FcD > 0, eta > 0 and a
// non-negative apparent skin; the caller guarantees them.
#pragma once

#include "state/model_state.h"

namespace quenlor {

double laplaceWellboreSolution(const LaplaceSolutionParameters& parameters, double s);

}  // namespace quenlor
