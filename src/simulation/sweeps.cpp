#include "simulation/sweeps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "flow/stehfest_inversion.h"
#include "state/constants.h"

namespace quenlor {

InversionResult invertAt(ModelState& state, double t) {
    return invertLaplace(state.laplace, state.control.stehfestTerms, t, state.derived.dimensionlessFractureStorage,
                         state.stehfest, state.control.stehfestTermsCached);
}

SweepSums calibrationSweep(ModelState& state, double start, double end, bool arithmetic, bool useClock) {
    SweepSums sums{};
    const int n = state.control.timeStepCount;
    double privateClock = 0.0;
    double& t = useClock ? state.march.currentTime : privateClock;
    double h = 0.0;
    double r = 1.0;
    if (arithmetic) {
        h = (end - start) / n;
        t = start - h;
    } else {
        r = std::pow(end / start, 1.0 / n);
        t = start / r;
    }
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(n) + 1; ++i) {
        if (arithmetic)
            t = t + h;
        else
            t = t * r;
        const InversionResult v = invertAt(state, t);
        const double lt = std::log(t);
        sums.st += lt;
        sums.stt += lt * lt;
        const double y1 = std::log(std::max(v.pressure, kLogFloor));
        sums.s1 += y1;
        sums.s1t += y1 * lt;
        const double y2 = std::log(std::max(v.storagePressure, kLogFloor));
        sums.s2 += y2;
        sums.s2t += y2 * lt;
        const double y3 = std::log(std::max(v.pressureDerivative, kLogFloor));
        sums.s3 += y3;
        sums.s3t += y3 * lt;
        const double dv = v.storagePressureDerivative;
        sums.sd += dv;
        sums.sdt += dv * lt;
        sums.lastStoragePressure = v.storagePressure;
        ++sums.points;
    }
    return sums;
}

SweepFit fitSweep(const SweepSums& s) {
    const double m = s.points;
    const double d = s.stt * m - s.st * s.st;
    auto scale = [&](double sk, double skt) { return std::exp((sk * s.stt - skt * s.st) / d); };
    auto exponent = [&](double sk, double skt) { return (skt * m - sk * s.st) / d; };
    SweepFit f;
    f.pressureScale = scale(s.s1, s.s1t);
    f.pressureExponent = exponent(s.s1, s.s1t);
    f.storagePressureScale = scale(s.s2, s.s2t);
    f.storagePressureExponent = exponent(s.s2, s.s2t);
    f.derivativeScale = scale(s.s3, s.s3t);
    f.derivativeExponent = exponent(s.s3, s.s3t);
    f.storageDerivativeIntercept = (s.sd * s.stt - s.sdt * s.st) / d;
    f.storageDerivativeSlope = (s.sdt * m - s.sd * s.st) / d;
    return f;
}

}  // namespace quenlor
