// The derivative, superposition and G-function of the command, against
// closed forms and an independent quadrature.
#include "diagnostics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace quenlor {
namespace {

constexpr double kExact = 1e-12;    // formulas exact in exact arithmetic
constexpr double kQuadrature = 1e-6;  // against the Simpson reference below

TEST(BourdetDerivative, IsExactForAQuadraticOnAnUnevenGridWhateverTheWindow) {
    // y = 3x^2 - 2x + 1, y' = 6x - 2: the weighted central difference is
    // exact for quadratics, at any spacing.
    const std::vector<double> x = {0.0, 0.1, 0.25, 0.3, 0.7, 0.75, 1.2, 1.9, 2.0, 3.1};
    std::vector<double> y;
    for (double v : x) y.push_back(3.0 * v * v - 2.0 * v + 1.0);
    for (double window : {0.0, 0.2, 0.45}) {
        const std::vector<double> d = bourdetDerivative(x, y, window);
        ASSERT_EQ(d.size(), x.size());
        for (std::size_t i = 1; i + 1 < x.size(); ++i)
            EXPECT_NEAR(d[i], 6.0 * x[i] - 2.0, kExact) << "window " << window << " at x = " << x[i];
    }
}

TEST(BourdetDerivative, EndsAreOneSidedAndExactForAStraightLine) {
    const std::vector<double> x = {1.0, 1.5, 2.5, 4.0};
    const std::vector<double> y = {5.0, 6.0, 8.0, 11.0};  // slope 2
    for (double window : {0.0, 1.0, 10.0}) {
        for (double d : bourdetDerivative(x, y, window)) EXPECT_NEAR(d, 2.0, kExact);
    }
}

TEST(BourdetDerivative, WindowPicksTheNearestPointsAtLeastThatFarAway) {
    // y = x^3 is not reproduced exactly, so the chosen neighbours show:
    // at x = 2 with window 1 the neighbours are x = 1 and x = 3.
    const std::vector<double> x = {0.0, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0};
    std::vector<double> y;
    for (double v : x) y.push_back(v * v * v);
    const double expected = ((8.0 - 1.0) / 1.0 * 1.0 + (27.0 - 8.0) / 1.0 * 1.0) / 2.0;  // neighbours 1 and 3
    EXPECT_NEAR(bourdetDerivative(x, y, 1.0)[3], expected, kExact);
    const double adjacent = ((8.0 - 3.375) / 0.5 * 0.5 + (15.625 - 8.0) / 0.5 * 0.5) / 1.0;  // 1.5 and 2.5
    EXPECT_NEAR(bourdetDerivative(x, y, 0.0)[3], adjacent, kExact);
}

TEST(LogTimeDerivative, OfASemilogStraightLineIsItsSlope) {
    // Radial flow: p = m ln t + c gives dp/d ln t = m.
    const std::vector<double> t = logSpacedTimes(1e-3, 1e3, 10);
    std::vector<double> p;
    for (double v : t) p.push_back(0.5 * std::log(v) + 7.0);
    for (double d : logTimeDerivative(t, p, 0.2)) EXPECT_NEAR(d, 0.5, kExact);
}

TEST(LogTimeDerivative, OfAPowerLawIsTheExponentTimesThePressure) {
    // p = a t^n gives dp/d ln t = n p; symmetric neighbours at distance h
    // in ln t give n p sinh(n h)/(n h), a relative error of about
    // (n h)^2 / 6: below 0.4 % for h up to 0.28 (0.1 log cycle and the
    // next sample beyond it).
    const std::vector<double> t = logSpacedTimes(1e-2, 1e2, 50);
    std::vector<double> p;
    for (double v : t) p.push_back(3.0 * std::sqrt(v));
    const std::vector<double> d = logTimeDerivative(t, p, 0.1);
    for (std::size_t i = 10; i + 10 < t.size(); ++i) EXPECT_NEAR(d[i] / (0.5 * p[i]), 1.0, 4e-3) << t[i];
}

TEST(LogSpacedTimes, HitBothEndsWithAConstantRatio) {
    const std::vector<double> t = logSpacedTimes(2e-3, 5e2, 20);
    EXPECT_EQ(t.front(), 2e-3);
    EXPECT_EQ(t.back(), 5e2);
    const double decades = std::log10(5e2 / 2e-3);
    EXPECT_EQ(t.size(), static_cast<std::size_t>(std::ceil(decades * 20)) + 1);
    const double ratio = t[1] / t[0];
    for (std::size_t i = 1; i < t.size(); ++i) EXPECT_NEAR(t[i] / t[i - 1], ratio, 1e-12);
    EXPECT_THROW(logSpacedTimes(1.0, 1.0, 10), std::invalid_argument);
    EXPECT_THROW(logSpacedTimes(0.0, 1.0, 10), std::invalid_argument);
}

TEST(SuperposedFallOff, MatchesClosedFormsForSimpleResponses) {
    const double tp = 2.5;
    const std::vector<double> dt = {0.01, 0.1, 1.0, 10.0, 100.0};
    // Semilog line: the fall-off is the same line in equivalent time.
    const auto semilog = superposeFallOff([](double t) { return 2.0 * std::log(t) + 1.0; }, tp, dt);
    // Straight line in t (pure storage): superposition cancels.
    const auto linear = superposeFallOff([](double t) { return 4.0 * t; }, tp, dt);
    // Parabola: p(tp) - p(tp + dt) + p(dt) = -2 tp dt.
    const auto parabola = superposeFallOff([](double t) { return t * t; }, tp, dt);
    for (std::size_t i = 0; i < dt.size(); ++i) {
        const double te = tp * dt[i] / (tp + dt[i]);
        EXPECT_DOUBLE_EQ(semilog[i].shutInTime, dt[i]);
        EXPECT_NEAR(semilog[i].equivalentTime, te, kExact * te);
        EXPECT_NEAR(semilog[i].pressureChange, 2.0 * std::log(te) + 1.0, 1e-12);
        EXPECT_NEAR(linear[i].pressureChange, 0.0, 1e-12);
        EXPECT_NEAR(parabola[i].pressureChange, -2.0 * tp * dt[i], 1e-9);
    }
}

// 2 int_0^1 sqrt(1 + x - s^(1/alpha)) ds by composite Simpson's rule on a
// fine grid (the square-root end at s = 1 for x = 0 limits the error to
// about h^1.5, 1e-8 here).
double leakOffIntegral(double x, double alpha) {
    const int n = 200000;
    const double h = 1.0 / n;
    auto f = [&](double s) { return 2.0 * std::sqrt(std::max(0.0, 1.0 + x - std::pow(s, 1.0 / alpha))); };
    double sum = f(0.0) + f(1.0);
    for (int i = 1; i < n; ++i) sum += (i % 2 ? 4.0 : 2.0) * f(i * h);
    return sum * h / 3.0;
}

TEST(NolteGFunction, SmallGIsTheLeakOffIntegralForBothBounds) {
    for (double x : {0.0, 0.05, 0.3, 1.0, 4.0, 25.0}) {
        EXPECT_NEAR(nolteSmallG(x, GAlpha::linear), leakOffIntegral(x, 1.0), kQuadrature) << "alpha 1, dtD " << x;
        EXPECT_NEAR(nolteSmallG(x, GAlpha::squareRoot), leakOffIntegral(x, 0.5), kQuadrature) << "alpha 1/2, dtD " << x;
    }
}

TEST(NolteGFunction, StartsAtZeroAndHasThePublishedValuesAtOne) {
    EXPECT_NEAR(nolteG(0.0, GAlpha::linear), 0.0, kExact);
    EXPECT_NEAR(nolteG(0.0, GAlpha::squareRoot), 0.0, kExact);
    // dtD = 1: (4/pi)(4/3)(2^1.5 - 2) and (4/pi)(2 asin(1/sqrt 2) + 1 - pi/2) = 4/pi.
    EXPECT_NEAR(nolteG(1.0, GAlpha::linear), 16.0 / (3.0 * std::numbers::pi) * (2.0 * std::sqrt(2.0) - 2.0), kExact);
    EXPECT_NEAR(nolteG(1.0, GAlpha::squareRoot), 4.0 / std::numbers::pi, kExact);
}

TEST(NolteGFunction, SlopeMatchesACentralDifference) {
    for (GAlpha a : {GAlpha::linear, GAlpha::squareRoot}) {
        for (double x : {0.01, 0.2, 1.0, 7.0, 60.0}) {
            const double h = 1e-5 * x;
            const double numeric = (nolteG(x + h, a) - nolteG(x - h, a)) / (2.0 * h);
            EXPECT_NEAR(nolteGSlope(x, a), numeric, 1e-7 * std::fabs(numeric)) << x;
        }
    }
}

}  // namespace
}  // namespace quenlor
