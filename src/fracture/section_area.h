// Cross-section area of a fracture whose height has grown into two stress
// barriers, as a function of the net pressure.
//
// pn is the net pressure over the larger contrast S2. The interface
// positions u1, u2 on the normalised height come from the tip solvers:
// both tips free up to the net pressure at which tip 1 reaches equilibrium
// at the fracture's part heights (equilibriumPressureRatio1 + 0.001, over
// S1), tip 1 pinned above it. The area of a crack on [-1, 1] under the
// uniform pressure, less the barrier stresses beyond the interfaces, is
// pi/2 (pi pn - ratio acos u1 - acos u2) plus the opening due to the two
// stress steps, four integrals of the crack-opening kernel (their
// differences approximate pi/2 u sqrt(1 - u^2) per barrier). The area is
// divided by the square of the pay layer's half-thickness m = (u1 + u2)/2
// in the same coordinate, so it is dimensionless; it is used only through
// ratios of areas and of their slopes.
//
// The pinned-tip ratio depends only on the set-up's groups; it is derived
// on its first need in a run and kept for the rest of that run.
#pragma once

#include "state/model_state.h"

namespace quenlor {

double fractureSectionArea(ModelState& state, double pn);

}  // namespace quenlor
