// Set-up of a simulation run: the dimensionless groups.
//
// From the ordered parameters (stressContrast1 <= stressContrast2,
// height1 >= height2), the layer values and the control record:
//   stress contrast    S2D = k hmin S2 / (141.2 qB mu)
//   closure time       tcD = 0.0002637 k tc / (phi mu ce Xf^2)
//   equilibrium net pressures at the two tips for the fracture at its part
//     heights (zero stress intensity with the barriers' closing stresses,
//     over S1 and S2), when the fracture is taller than the layer
//   fracture compliance of an elliptical crack (plane strain)
//     cf = (2/3) pi Xf H min(2 Xf, H) (1 - nu^2) / (E_young E(k))  ft^3/psi
//   storages           CfD = cf / (2 pi hmin Xf^2 ce phi),
//                      CD = 5.614583 ct Vw / (2 pi hmin Xf^2 ce phi)
//   Laplace-solution parameters, with the apparent skin from the grid.
// hmin = min(H, h). The response table is restarted at its origin row.
// The grid must already hold this run's values.
#pragma once

#include "state/model_state.h"

namespace quenlor {

void setUpSimulation(ModelState& state);

}  // namespace quenlor
