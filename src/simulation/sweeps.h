// Calibration sweeps: the flow solution inverted over a range of times
// and condensed into least-squares fits that the marches use for short
// times and intervals.
//
// A sweep inverts at timeStepCount + 1 times, equally spaced (by repeated
// addition of the step) or geometrically spaced, and sums, against
// ln t, the logarithms of the pressure, the pressure with storage and the
// pressure derivative (each floored at 1e-30 first) and the derivative
// with storage itself. fitSweep turns the sums into the ordinary least-
// squares lines: power laws A t^B for the first three, a + b ln t for the
// fourth.
#pragma once

#include "flow/stehfest_inversion.h"
#include "state/model_state.h"

namespace quenlor {

struct SweepSums {
    double st, stt;
    double s1, s1t;  // ln pressure
    double s2, s2t;  // ln storage pressure
    double s3, s3t;  // ln pressure derivative
    double sd, sdt;  // storage pressure derivative
    double lastStoragePressure;
    int points;
};

struct SweepFit {
    double pressureScale, pressureExponent;
    double storagePressureScale, storagePressureExponent;
    double derivativeScale, derivativeExponent;
    double storageDerivativeIntercept, storageDerivativeSlope;
};

// arithmetic: equal steps; otherwise geometric steps. The first sweep
// steps through state.march.currentTime; the second (useClock false) uses
// a private clock.
SweepSums calibrationSweep(ModelState& state, double start, double end, bool arithmetic, bool useClock);

SweepFit fitSweep(const SweepSums& sums);

// An inversion of the flow solution at t with the run's controls.
InversionResult invertAt(ModelState& state, double t);

}  // namespace quenlor
