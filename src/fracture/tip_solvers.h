// Equilibrium of the fracture tips in the two stress barriers.
//
// On the normalised fracture height the tips are at +1 (tip 1, in barrier
// 1, contrast S1) and -1 (tip 2, in barrier 2, contrast S2); the pay layer
// spans (-u2, +u1). A tip without toughness stands where its stress
// intensity factor vanishes. For a uniform net pressure p0 the two
// conditions are (Rice's weight function for a crack under piecewise
// constant load)
//   at +1: pi p0 = S1 (acos u1 + sqrt(1-u1^2)) + S2 (acos u2 - sqrt(1-u2^2))
//   at -1: pi p0 = S1 (acos u1 - sqrt(1-u1^2)) + S2 (acos u2 + sqrt(1-u2^2))
// equivalent to pi p0 = S1 acos u1 + S2 acos u2 with
// S1 sqrt(1-u1^2) = S2 sqrt(1-u2^2).
//
// solveFreeTips: both tips free; p is the net pressure over S1, ratio =
// S1/S2 (<= 1 from the set-up).
// solvePinnedTip: tip 1 held, (1 + u2)/(1 - u1) fixed at (1 + r)/(1 - r);
// only the condition at tip 2 is solved.
//
// Both scan 201 points from just below +1 down to about -1 for a sign
// change of the residual, then refine by Newton's method (at most 50
// steps, stopping when |F| < 1e-6 |F'|). Neither reports failure: they
// return the last point evaluated. Outputs may lie slightly outside
// [-1, 1]; the section area clamps them.
#pragma once

namespace quenlor {

struct TipPositions {
    double u1;
    double u2;
};

TipPositions solveFreeTips(double p, double ratio);

TipPositions solvePinnedTip(double p, double ratio, double r);

}  // namespace quenlor
