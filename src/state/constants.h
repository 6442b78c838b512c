// Numerical constants of the model.
//
// Several tolerances and limits of the model were fixed long ago as
// single-precision values; the model keeps computing with exactly those
// values, widened to double. Each widened constant is written out as its
// double value and checked against the float literal it comes from, so a
// typo in the long digit strings cannot slip in unnoticed.
#pragma once

namespace quenlor {

// Widened single-precision constants.
inline constexpr double kF0_001 = 0.0010000000474974513;   // 0.001f
inline constexpr double kF0_01 = 0.009999999776482582;     // 0.01f
inline constexpr double kF0_1 = 0.10000000149011612;       // 0.1f
inline constexpr double kF0_2 = 0.20000000298023224;       // 0.2f
inline constexpr double kF0_65 = 0.6499999761581421;       // 0.65f
inline constexpr double kF0_99 = 0.9900000095367432;       // 0.99f
inline constexpr double kF0_999 = 0.9990000128746033;      // 0.999f
inline constexpr double kF1_01 = 1.0099999904632568;       // 1.01f
inline constexpr double kF1e_4 = 9.999999747378752e-05;    // 1e-4f
inline constexpr double kF1e_6 = 9.999999974752427e-07;    // 1e-6f
inline constexpr double kFMinus1e_10 = -1.000000013351432e-10;  // -1e-10f
inline constexpr double kFMinus1e30 = static_cast<double>(-1.0e30f);
inline constexpr double kF141_2 = 141.1999969482422;       // 141.2f

static_assert(kF0_001 == static_cast<double>(0.001f));
static_assert(kF0_01 == static_cast<double>(0.01f));
static_assert(kF0_1 == static_cast<double>(0.1f));
static_assert(kF0_2 == static_cast<double>(0.2f));
static_assert(kF0_65 == static_cast<double>(0.65f));
static_assert(kF0_99 == static_cast<double>(0.99f));
static_assert(kF0_999 == static_cast<double>(0.999f));
static_assert(kF1_01 == static_cast<double>(1.01f));
static_assert(kF1e_4 == static_cast<double>(1e-4f));
static_assert(kF1e_6 == static_cast<double>(1e-6f));
static_assert(kFMinus1e_10 == static_cast<double>(-1e-10f));
static_assert(kF141_2 == static_cast<double>(141.2f));

// 1/(2h) for the central difference of the section area with h = kF1e_6.
inline constexpr double kHalfReciprocalDerivativeStep = 500000.00126237865;

// Plain double constants.
inline constexpr double kDarcyTimeFactor = 0.0002637;  // tD = 0.0002637 k t / (phi mu ce L^2), t in hours
inline constexpr double kCubicFeetPerBarrel = 5.614583;
inline constexpr double kLogFloor = 1e-30;    // floor of sweep outputs before ln, and of square roots
inline constexpr double kDivisionFloor = 1e-20;
inline constexpr double kArgumentFloor = 1e-15;
inline constexpr double kGridSpacing = 0.025;

}  // namespace quenlor
