// The documented default case: the layer values that the shipped control
// file is tuned for, a plausible tight-formation fracture injection test.
// With the catalogue's default parameters these make the shipped default
// response. Tools, tests and benchmarks use them as the host would pass
// them (the nine layer values, the fourth and fifth unused).
#pragma once

#include "state/model_state.h"

namespace quenlor {

struct DefaultLayer {
    static constexpr double permeability = 0.1;           // md
    static constexpr double thickness = 20.0;             // ft
    static constexpr double wellRadius = 0.3;             // ft
    static constexpr double viscosity = 1.0;              // cp
    static constexpr double totalCompressibility = 1e-5;  // 1/psi
    static constexpr double porosity = 0.08;              // fraction
    static constexpr double rateFactor = 240.0;           // bbl/day (rate x formation volume factor)
};

// The host's nine layer values in order.
inline constexpr double kDefaultLayerValues[kLayerValueCount] = {
    DefaultLayer::permeability, DefaultLayer::thickness, DefaultLayer::wellRadius,
    0.0, 0.0,
    DefaultLayer::viscosity, DefaultLayer::totalCompressibility, DefaultLayer::porosity,
    DefaultLayer::rateFactor};

}  // namespace quenlor
