// The marches: the wellbore response step by step through the injection,
// the equal-step fall-off and the geometric tail.
//
// Each step superposes the constant-rate solution over the pressure
// changes of all earlier steps, weighted by the storage of the step and
// of each earlier interval, and solves implicitly for the step's pressure:
//   X = (p[n-1] W g - sum_k W_k dp_k g_k + p_step) / (1 + W g),
// g the unit-rate response of the step interval over its length, g_k the
// same for earlier intervals. Times or intervals at or below the control
// thresholds use the calibration fits instead of an inversion.
//
// closureModel 0 keeps the fracture's storage constant: the injection
// rows are the solution with storage itself, and after shut-in the
// influence of the injection period enters as three convolution integrals
// over it. closureModel 1..4 drop the fracture's storage at the end of
// injection; closureModel 5 makes it follow the closing fracture's
// section area (closureStorageByPressure).
//
// The tail keeps its cost per step constant: it evaluates the first
// interval only and scales it by the number of intervals, differencing
// against the previous step's term.
#pragma once

#include "state/model_state.h"

namespace quenlor {

void injectionMarch(ModelState& state);
void fallOffMarch(ModelState& state);
void tailMarch(ModelState& state);

// The tail's history term at step n (record entries 0..n) from the term of
// the first interval alone: n - 1 intervals of similar weight, each step
// differenced against the previous step's first term (firstTermMemory,
// zero at the start of a run; updated here).
double scaledTailHistory(double firstTerm, int n, double& firstTermMemory);

// The shift that puts the tail's first point (entry n) on the trend of the
// four record intervals before it: slopes against ln t at the interval
// midpoints, their mean change, extrapolated over the new interval.
double tailStartCorrection(const double* time, const double* pressure, int n);

}  // namespace quenlor
