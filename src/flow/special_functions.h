// Special functions of the flow solution and the set-up.
//
// exponentialIntegralE1: E1(x) for x > 0 by the rational approximations of
// Abramowitz and Stegun, formula 5.1.53 (x <= 1, absolute error below
// 2e-7) and 5.1.56 (x > 1, relative error below 5e-8). The published
// coefficients are used as the model always used them: rounded to single
// precision, then evaluated in double arithmetic. That rounding moves the
// result by at most 1.3e-8 absolute (x <= 1) and 2.6e-8 relative (x > 1).
//
// ellipticIntegralE: the complete elliptic integral of the second kind
// E(k) of an elliptical fracture outline with semi-axes halfLength and
// totalHeight/2 (both in ft, > 0), k^2 = 1 - m^2 with m the ratio of the
// shorter to the longer semi-axis, by a 100-panel trapezoid rule on
// [0, pi/2]. The integrand is smooth and periodic, so the trapezoid rule
// converges geometrically; it equals pi/2 for a circle and tends to 1 for
// a very elongated outline.
#pragma once

namespace quenlor {

double exponentialIntegralE1(double x);

double ellipticIntegralE(double halfLength, double totalHeight);

}  // namespace quenlor
