#include "simulation/setup.h"

#include <cmath>

#include "datafiles/lookup_grid.h"
#include "flow/special_functions.h"
#include "interface/response_lookup.h"
#include "state/constants.h"

namespace quenlor {

namespace {

constexpr double kLowerLimit = 0.001;
constexpr double kUpperRatio = 0.99;

double clampBarrierPosition(double c) {
    if (c > 1.0) c = 1.0;
    if (c < -1.0) c = -1.0;
    return c;
}

}  // namespace

void setUpSimulation(ModelState& state) {
    const ModelParameters& p = state.parameters;
    const LayerProperties& l = state.layer;
    const ControlRecord& c = state.control;
    DerivedGroups& d = state.derived;
    const double pi = 4.0 * std::atan(1.0);
    const double xf = p.halfLength;
    const double ce = state.effectiveCompressibility;

    d.stressContrastRatio = p.stressContrast2 > 0.0 ? p.stressContrast1 / p.stressContrast2 : 1.0;
    d.effectiveShrinkageDelay = p.shrinkageDelay;

    const double totalHeight = p.height1 + p.height2;
    const double absoluteFaceSkin = std::fabs(p.fractureFaceSkin);
    const double twoOverConductivity = 2.0 / p.conductivity;

    const double hmin = totalHeight <= l.thickness ? totalHeight : l.thickness;
    d.dimensionlessStressContrast =
        l.permeability / (kF141_2 * l.rateFactor * l.viscosity) * hmin * p.stressContrast2;
    d.dimensionlessClosureTime =
        kDarcyTimeFactor * l.permeability * p.closureTime / (xf * xf * ce * l.porosity * l.viscosity);

    const double s1 = p.stressContrast1 == 0.0 ? kLowerLimit : p.stressContrast1;
    const double s2 = p.stressContrast2 == 0.0 ? kLowerLimit : p.stressContrast2;

    if (totalHeight < l.thickness) {
        d.equilibriumPressureRatio1 = kLowerLimit;
        d.equilibriumPressureRatio2 = kLowerLimit;
    } else {
        const double diff = p.height1 - p.height2;
        const double c1 = clampBarrierPosition((l.thickness - diff) / totalHeight);
        const double c2 = clampBarrierPosition((l.thickness + diff) / totalHeight);
        const double q1 = std::sqrt(1.0 - c1 * c1);
        const double q2 = std::sqrt(1.0 - c2 * c2);
        const double p1 = ((std::acos(c1) + q1) * s1 + (std::acos(c2) - q2) * s2) / pi;
        const double p2 = ((std::acos(c1) - q1) * s1 + (std::acos(c2) + q2) * s2) / pi;
        d.equilibriumPressureRatio1 = p1 / s1;
        d.equilibriumPressureRatio2 = p2 / s2;
    }

    if (d.effectiveShrinkageDelay <= kLowerLimit) d.effectiveShrinkageDelay = kLowerLimit;
    if (d.equilibriumPressureRatio2 >= kUpperRatio)
        d.equilibriumPressureRatio2 = kUpperRatio;
    else if (d.equilibriumPressureRatio2 <= kLowerLimit)
        d.equilibriumPressureRatio2 = kLowerLimit;
    if (d.dimensionlessStressContrast <= kLowerLimit) d.dimensionlessStressContrast = kLowerLimit;
    if (d.stressContrastRatio <= kLowerLimit) d.stressContrastRatio = kLowerLimit;
    if (d.equilibriumPressureRatio1 >= kUpperRatio)
        d.equilibriumPressureRatio1 = kUpperRatio;
    else if (d.equilibriumPressureRatio1 <= kLowerLimit)
        d.equilibriumPressureRatio1 = kLowerLimit;

    const double e = ellipticIntegralE(xf, totalHeight);
    const double shorter = 2.0 * xf < totalHeight ? 2.0 * xf : totalHeight;
    const double nu = p.poissonRatio;
    const double compliance =
        (2.0 / 3.0) * pi * xf * totalHeight * shorter * (1.0 - nu * nu) / (p.youngModulus * e);
    d.dimensionlessFractureStorage = 0.5 * compliance / (pi * hmin * (xf * xf) * ce * l.porosity);
    d.dimensionlessWellboreStorage = 0.5 * kCubicFeetPerBarrel * l.totalCompressibility * p.wellboreVolume /
                                     (pi * hmin * (xf * xf) * ce * l.porosity);

    restartTable(state.table);

    const double apparentSkin = interpolateLookupGrid(state.grid, twoOverConductivity, absoluteFaceSkin);
    d.apparentSkin = apparentSkin;
    LaplaceSolutionParameters& lp = state.laplace;
    lp.faceSkinFactor = 2.0 * apparentSkin / pi;
    lp.conductivity = 2.0 / twoOverConductivity;
    lp.fractureDiffusivity = c.fractureDiffusivity;
    lp.e1CorrectionWeight = c.e1CorrectionWeight;
    lp.e1ArgumentScale = 0.5 + kF0_65 * (std::sqrt(twoOverConductivity / 2.0) + apparentSkin);

    d.scaledFractureStorage = d.dimensionlessFractureStorage * c.storageProductFactor;
}

}  // namespace quenlor
