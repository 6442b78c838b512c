// Storage of the fracture during closure, for one step of the marches.
//
// closureStorageByTime(t) (closure models 1 to 4): the open fracture's
// storage C_fD until the end of injection (t - injectionDuration <= 1e-6),
// zero afterwards. (The time-decline variants of models 2 to 4 reduce to
// this, their decline exponent never being set.)
//
// closureStorageByPressure(pw) (closure model 5): until the closure time
// the open value C_D * fractureStorageFactor + C_fD, while recording the
// highest pressure seen (closureReferencePressure). After it, with the
// net pressure Pn = E2 - max(pw - reference, 0)/S2D (over the larger
// contrast), the volume term A(P)/A(P0) C_D fractureStorageFactor plus the
// compliance term A'(P)/A'(P0) scaledFractureStorage, A the section area
// and P0 the closure-start net pressure, A' by central differences with
// h = 1e-6; a fixed closedFractureCompliance once Pn <= 0 (when it is not
// below -1e-10); and, when closedFractureCompliance < -10, a smooth ramp
// that takes the storage away over a drop of the shrinkage delay below
// closureWidthFraction * E2. All values are dimensionless storages; the
// march adds C_D.
#pragma once

#include "state/model_state.h"

namespace quenlor {

double closureStorageByTime(const ModelState& state, double t);

double closureStorageByPressure(ModelState& state, double pw);

// Storage tapered over the shrinkage delay delta; s <= 0 is the drop below
// the ramp's start in dimensionless pressure. The taper is 1 at s = 0 and
// falls almost linearly to about 0 at s = -delta (a softplus of width
// 0.1 delta), normalised so that it starts at exactly 1.
double applyShrinkageRamp(double storage, double s, double delta);

}  // namespace quenlor
