// The curves engineers read off a pressure response.
//
// Bourdet derivative (Bourdet, Ayoub and Pirard, "Use of Pressure
// Derivative in Well-Test Interpretation", SPE Formation Evaluation 4(2),
// 1989): at each point, the slopes to a left and a right neighbour are
// weighted by the other side's distance,
//   y'_i = [ (dy_L/dx_L) dx_R + (dy_R/dx_R) dx_L ] / (dx_L + dx_R),
// with the neighbours the nearest points at least `window` away in x (the
// farthest point on that side when none is; one-sided at either end). The
// formula is exact for any quadratic in x. For the log-time derivative
// dp/d ln t, x = ln t and the window is L log cycles, L ln 10.
//
// Fall-off by superposition of a unit-rate response p(t): injection at
// unit rate for tp, then shut-in; the pressure change since shut-in is
//   dp_s(dt) = p(tp) - p(tp + dt) + p(dt),
// and Agarwal's equivalent time te = tp dt / (tp + dt) turns the
// superposition into a single-rate time: for p = m ln t + c,
// dp_s = m ln te + c exactly.
//
// Nolte's G-function (Nolte, "Determination of Fracture Parameters from
// Fracturing Pressure Decline", SPE 8341, 1979; "A General Analysis of
// Fracturing Pressure Decline With Application to Three Models", SPE
// Formation Evaluation 1(6), 1986): with dtD = dt / tp,
//   G(dtD) = (4/pi) [g(dtD) - g(0)],
//   alpha = 1   (area growing linearly; low leak-off):
//     g = (4/3) [(1 + dtD)^1.5 - dtD^1.5],                  g(0) = 4/3
//   alpha = 1/2 (area growing with the root of time; high leak-off):
//     g = (1 + dtD) asin((1 + dtD)^-1/2) + dtD^1/2,          g(0) = pi/2.
// Both are the leak-off integral 2 int_0^1 sqrt(1 + dtD - s^(1/alpha)) ds.
// Their slopes: dG/ddtD = (8/pi) [sqrt(1 + dtD) - sqrt(dtD)] for alpha = 1
// and (4/pi) asin((1 + dtD)^-1/2) for alpha = 1/2, so that
//   dp/dG = (dp/d ln dt) / (dtD dG/ddtD)
// takes the smoothing of the Bourdet log-time derivative along.
#pragma once

#include <functional>
#include <vector>

namespace quenlor {

// Weighted central differences of y over x (x strictly increasing);
// empty for fewer than two points.
std::vector<double> bourdetDerivative(const std::vector<double>& x, const std::vector<double>& y, double window);

// dp/d ln t with the smoothing window in log cycles.
std::vector<double> logTimeDerivative(const std::vector<double>& t, const std::vector<double>& p, double logCycles);

// n points spaced evenly in log t from first to last, both included,
// at least perDecade points per decade (first < last, both positive).
std::vector<double> logSpacedTimes(double first, double last, int perDecade);

struct FallOffPoint {
    double shutInTime;       // dt
    double equivalentTime;   // te = tp dt / (tp + dt)
    double pressureChange;   // p(tp) - p(tp + dt) + p(dt)
};

std::vector<FallOffPoint> superposeFallOff(const std::function<double(double)>& response, double injectionTime,
                                           const std::vector<double>& shutInTimes);

enum class GAlpha { linear, squareRoot };  // alpha = 1, alpha = 1/2

double nolteSmallG(double dtD, GAlpha alpha);
double nolteG(double dtD, GAlpha alpha);
double nolteGSlope(double dtD, GAlpha alpha);  // dG/ddtD

}  // namespace quenlor
