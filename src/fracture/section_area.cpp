#include "fracture/section_area.h"

#include <cmath>

#include "fracture/quadrature.h"
#include "fracture/tip_solvers.h"
#include "state/constants.h"

namespace quenlor {

namespace {

constexpr double kThresholdMargin = kF0_001;
constexpr double kAreaTolerance = kF0_001;
constexpr double kPositionLimit = 0.999;

double clampPosition(double v) {
    if (v <= -kPositionLimit) return -kPositionLimit;
    if (v >= kPositionLimit) return kPositionLimit;
    return v;
}

double crackIntegral(ModelState& state, double from, double to, double position, double positionSign,
                     double sideSign) {
    state.kernel = {position, positionSign, sideSign};
    const KernelParameters kernel = state.kernel;
    return integrateMidpoint([kernel](double x) { return crackOpeningKernel(kernel, x); }, from, to,
                             kAreaTolerance);
}

double pinnedTipRatio(ModelState& state) {
    if (!state.pinnedTipRatioDerived) {
        const TipPositions t =
            solveFreeTips(state.derived.equilibriumPressureRatio1, state.derived.stressContrastRatio);
        const double t1 = clampPosition(t.u1);
        const double t2 = clampPosition(t.u2);
        state.pinnedTipRatio = (t1 + t2) / ((t2 - t1) + 2.0);
        state.pinnedTipRatioDerived = true;
    }
    return state.pinnedTipRatio;
}

}  // namespace

double fractureSectionArea(ModelState& state, double pn) {
    const double ratio = state.derived.stressContrastRatio;
    const double p = pn / ratio;
    TipPositions u;
    if (p <= state.derived.equilibriumPressureRatio1 + kThresholdMargin) {
        u = solveFreeTips(p, ratio);
    } else {
        u = solvePinnedTip(p, ratio, pinnedTipRatio(state));
    }
    const double u1 = clampPosition(u.u1);
    const double u2 = clampPosition(u.u2);

    const double i1 = crackIntegral(state, -1.0, u1, u1, 1.0, -1.0);
    const double i2 = crackIntegral(state, u1, 1.0, u1, -1.0, 1.0);
    const double i3 = crackIntegral(state, -1.0, -u2, u2, -1.0, -1.0);
    const double i4 = crackIntegral(state, -u2, 1.0, u2, 1.0, 1.0);

    const double halfPi = std::acos(-1.0) * 0.5;
    const double m = (u1 + u2) * 0.5;
    const double uniform = (pn * halfPi * 2.0 - ratio * std::acos(u1) - std::acos(u2)) * halfPi;
    return (uniform + (i1 - i2) * ratio - i3 + i4) * (1.0 / (m * m));
}

}  // namespace quenlor
