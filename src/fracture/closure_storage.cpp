#include "fracture/closure_storage.h"

#include <algorithm>
#include <cmath>

#include "fracture/section_area.h"
#include "state/constants.h"
#include "state/same_bits.h"

namespace quenlor {

namespace {

constexpr double kEndOfInjectionMargin = kF1e_6;
constexpr double kAreaFloor = kF0_001;
constexpr double kDerivativeStep = kF1e_6;
constexpr double kClosedValueLimit = kFMinus1e_10;
constexpr double kRampSwitch = -10.0;
constexpr double kExponentGuard = 200.0;

using ClosureStartAreas = ReuseMemo::ClosureStartAreas;

// The section area at pn, or a recent evaluation at the same net pressure
// with the same contrast ratio and tip-1 equilibrium pressure.
double sectionArea(ModelState& state, double pn) {
    ReuseMemo& memo = state.memo;
    const DerivedGroups& d = state.derived;
    if (!state.reuseDisabled) {
        for (const ReuseMemo::SectionArea& e : memo.recentAreas)
            if (e.valid && sameBits(e.pn, pn) && sameBits(e.ratio, d.stressContrastRatio) &&
                sameBits(e.equilibrium1, d.equilibriumPressureRatio1))
                return e.area;
    }
    const double area = fractureSectionArea(state, pn);
    memo.recentAreas[memo.nextRecentArea] = {pn, d.stressContrastRatio, d.equilibriumPressureRatio1, area, true};
    memo.nextRecentArea = (memo.nextRecentArea + 1) % ReuseMemo::kRecentAreas;
    return area;
}

// The section areas at the closure-start net pressure p0 and p0 +- h. The
// section area depends only on its argument, the contrast ratio and the
// tip-1 equilibrium pressure (the pinned-tip ratio derives from these two),
// so the areas are kept while those three are unchanged.
ClosureStartAreas closureStartAreas(ModelState& state, double p0) {
    ClosureStartAreas& kept = state.memo.closureStart;
    const DerivedGroups& d = state.derived;
    if (!state.reuseDisabled && kept.valid && sameBits(kept.p0, p0) && sameBits(kept.ratio, d.stressContrastRatio) &&
        sameBits(kept.equilibrium1, d.equilibriumPressureRatio1))
        return kept;
    ClosureStartAreas fresh;
    fresh.above = sectionArea(state, p0 + kDerivativeStep);
    fresh.below = sectionArea(state, p0 - kDerivativeStep);
    fresh.centre = sectionArea(state, p0);
    fresh.p0 = p0;
    fresh.ratio = d.stressContrastRatio;
    fresh.equilibrium1 = d.equilibriumPressureRatio1;
    fresh.valid = true;
    kept = fresh;
    return fresh;
}

}  // namespace

double closureStorageByTime(const ModelState& state, double t) {
    if (t - state.control.injectionDuration > kEndOfInjectionMargin) return 0.0;
    return state.derived.dimensionlessFractureStorage;
}

double applyShrinkageRamp(double storage, double s, double delta) {
    const double eps = kF0_1 * delta;
    const double a1 = std::max(-(s + delta) / eps, -kExponentGuard);
    const double a2 = std::max(-delta / eps, -kExponentGuard);
    const double norm = std::log(1.0 + std::exp(a2)) / delta * eps + 1.0;
    const double g = a1 > kExponentGuard ? a1 : std::log(1.0 + std::exp(a1));
    return storage * (1.0 - (-(g * eps + s) / delta)) / norm;
}

double closureStorageByPressure(ModelState& state, double pw) {
    const DerivedGroups& d = state.derived;
    const ControlRecord& c = state.control;
    const double cd = d.dimensionlessWellboreStorage;
    if (state.march.currentTime <= d.dimensionlessClosureTime) {
        if (state.control.closureReferencePressure < pw) state.control.closureReferencePressure = pw;
        return cd * c.fractureStorageFactor + d.dimensionlessFractureStorage;
    }
    const double e2 = d.equilibriumPressureRatio2;
    const double pn = e2 - std::max(pw - c.closureReferencePressure, 0.0) / d.dimensionlessStressContrast;
    if (pn <= 0.0 && c.closedFractureCompliance >= kClosedValueLimit) return c.closedFractureCompliance;

    const double p0 = std::max(e2, kAreaFloor);
    const double p = std::max(pn, kAreaFloor);
    const double h = kDerivativeStep;
    const ClosureStartAreas start = closureStartAreas(state, p0);
    const double d0 = (start.above - start.below) * kHalfReciprocalDerivativeStep;
    const double slope = (sectionArea(state, p + h) - sectionArea(state, p - h)) / (2.0 * h);
    const double area = sectionArea(state, p);
    const double area0 = start.centre;
    const double r = (area / area0) * cd * c.fractureStorageFactor + (slope / d0) * d.scaledFractureStorage;
    if (c.closedFractureCompliance >= kRampSwitch) return r;

    const double pd = c.closureWidthFraction * e2;
    if (pd <= pn) return r;
    const double s = (pn - pd) * d.dimensionlessStressContrast;
    return applyShrinkageRamp(r, s, d.effectiveShrinkageDelay);
}

}  // namespace quenlor
