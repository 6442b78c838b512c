#include "fracture/tip_solvers.h"

#include <cmath>

#include "state/constants.h"

namespace quenlor {

namespace {

constexpr int kScanPoints = 201;
constexpr int kNewtonSteps = 50;
constexpr double kScanStart = kF1_01;
constexpr double kScanStep = kF0_01;
constexpr double kSmallPressure = kF0_01;
constexpr double kSmallPressureStart = kF0_999;
constexpr double kNewtonTolerance = kF1e_6;

double clampUnit(double v) {
    if (v <= -1.0) return -1.0;
    if (v >= 1.0) return 1.0;
    return v;
}

// Walks x down the fixed grid until F changes sign; returns the first point
// past the change, or the last grid point.
template <class Residual>
double scanForSignChange(Residual&& residual) {
    double x = kScanStart;
    double previous = 0.0;
    for (int i = 0; i < kScanPoints; ++i) {
        x = x - kScanStep;
        const double f = residual(x);
        if (f * previous < 0.0) break;
        previous = f;
    }
    return x;
}

// Newton's method; evaluate(x) returns {F, F'} and records its outputs.
template <class Evaluate>
void refineByNewton(double x, Evaluate&& evaluate) {
    for (int i = 0; i < kNewtonSteps; ++i) {
        const auto [f, df] = evaluate(x);
        if (std::fabs(f) < kNewtonTolerance * std::fabs(df)) return;
        x = x - f / df;
    }
}

struct FunctionAndSlope {
    double f;
    double df;
};

}  // namespace

TipPositions solveFreeTips(double p, double ratio) {
    const double pi = std::acos(-1.0);
    double b, bigP, a;
    bool swapped;
    if (ratio <= 1.0) {
        b = ratio;
        bigP = ratio * p;
        a = p;
        swapped = false;
    } else {
        b = 1.0 / ratio;
        bigP = p;
        a = p / ratio;
        swapped = true;
    }

    double x;
    if (a < kSmallPressure) {
        x = kSmallPressureStart;  // near-zero pressure: start at the top, no scan needed
    } else {
        x = scanForSignChange([&](double xs) {
            const double z = clampUnit(xs);
            const double w = 1.0 - xs * xs;
            const double theta = pi * bigP - std::acos(z) * b;
            const double q = 1.0 - (w * b) * b;
            return std::cos(theta) - std::sqrt(q);
        });
    }

    TipPositions out{0.0, 0.0};
    refineByNewton(x, [&](double xn) {
        const double z = clampUnit(xn);
        const double w = 1.0 - xn * xn;
        const double theta = pi * bigP - std::acos(z) * b;
        const double q = 1.0 - (b * b) * w;
        const double rootQ = std::sqrt(q);
        const double f = std::cos(theta) - rootQ;
        const double df = -b * std::sin(theta) / std::sqrt(w > kLogFloor ? w : kLogFloor) - (b * b / rootQ) * xn;
        out = {z, rootQ};
        return FunctionAndSlope{f, df};
    });
    if (swapped) return {out.u2, out.u1};
    return out;
}

TipPositions solvePinnedTip(double p, double ratio, double r) {
    const double pi = std::acos(-1.0);
    const double k = 1.0 - r;
    const double dydx = -(1.0 + r) / k;

    const double x0 = scanForSignChange([&](double xs) {
        const double y = ((2.0 - xs) * r - xs) / k;
        const double z1 = clampUnit(xs);
        const double z2 = clampUnit(y);
        const double t = (std::acos(z2) / ratio + std::acos(z1)) / pi;
        const double s1 = std::sqrt(1.0 - xs * xs > kLogFloor ? 1.0 - xs * xs : kLogFloor);
        const double s2 = std::sqrt(1.0 - y * y > kLogFloor ? 1.0 - y * y : kLogFloor);
        return (s2 / ratio - s1) / pi - p + t;
    });

    TipPositions out{0.0, 0.0};
    refineByNewton(x0, [&](double xn) {
        const double y = ((2.0 - xn) * r - xn) / k;
        const double z1 = clampUnit(xn);
        const double z2 = clampUnit(y);
        const double t = (std::acos(z1) + std::acos(z2) / ratio) / pi;
        const double s1 = std::sqrt(1.0 - xn * xn > kLogFloor ? 1.0 - xn * xn : kLogFloor);
        const double s2 = std::sqrt(1.0 - y * y > kLogFloor ? 1.0 - y * y : kLogFloor);
        const double f = (s2 / ratio - s1) / pi - p + t;
        const double df = (xn / s1 - (y / (s2 * ratio)) * dydx) / pi - (dydx / (s2 * ratio) + 1.0 / s1) / pi;
        out = {z1, y};
        return FunctionAndSlope{f, df};
    });
    return out;
}

}  // namespace quenlor
