#include "fracture/quadrature.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace quenlor {
namespace {

const double kPi = std::acos(-1.0);

TEST(MidpointQuadrature, IntegratesKnownIntegralsIncludingEndSingularities) {
    struct Case {
        const char* name;
        double (*f)(double);
        double a, b, exact, tolerance;  // relative
    };
    const Case cases[] = {
        {"x^2 on [0,1]", [](double x) { return x * x; }, 0.0, 1.0, 1.0 / 3.0, 1e-6},
        {"sin on [0,pi]", [](double x) { return std::sin(x); }, 0.0, kPi, 2.0, 1e-6},
        {"ln x on [0,1]", [](double x) { return std::log(x); }, 0.0, 1.0, -1.0, 2e-4},
        // An inverse square-root end singularity converges slowly: the
        // extrapolation weights do not match its error expansion.
        {"1/sqrt(x) on [0,4]", [](double x) { return 1.0 / std::sqrt(x); }, 0.0, 4.0, 4.0, 3e-3},
        {"exp on [1,0] (reversed)", [](double x) { return std::exp(x); }, 1.0, 0.0, 1.0 - std::exp(1.0), 1e-6},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(integrateMidpoint(c.f, c.a, c.b, 1e-6), c.exact, c.tolerance * std::fabs(c.exact)) << c.name;
    }
}

TEST(MidpointQuadrature, StagesSampleTheMidpointsOfTheOuterThirds) {
    std::vector<double> points;
    auto record = [&points](double x) {
        points.push_back(x);
        return 1.0;
    };
    double s = 0.0;
    midpointStage(record, 0.0, 9.0, s, 1);
    midpointStage(record, 0.0, 9.0, s, 2);
    midpointStage(record, 0.0, 9.0, s, 3);
    const std::vector<double> expected = {4.5, 1.5, 7.5, 0.5, 2.5, 3.5, 5.5, 6.5, 8.5};
    ASSERT_EQ(points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(points[i], expected[i], 1e-12) << i;
    EXPECT_NEAR(s, 9.0, 1e-12);
}

TEST(MidpointQuadrature, StopsAfterNineEvaluationsAtTheEarliest) {
    int evaluations = 0;
    const double r = integrateMidpoint([&evaluations](double x) { ++evaluations; return 2.0 * x + 1.0; }, 0.0, 2.0, 1e-12);
    EXPECT_EQ(evaluations, 9);
    EXPECT_NEAR(r, 6.0, 1e-12);
}

TEST(MidpointQuadrature, EmptyIntervalRunsAllTenStagesAndGivesZero) {
    int evaluations = 0;
    const double r = integrateMidpoint([&evaluations](double) { ++evaluations; return 5.0; }, 1.0, 1.0, 1e-3);
    EXPECT_EQ(r, 0.0);
    EXPECT_EQ(evaluations, 19683);
}

TEST(CrackOpeningKernel, IsTheStepLoadOpening) {
    // c = 0.5, d = +1, e = -1 at x = 0: D = 0.5, N = 1, y = 2.
    EXPECT_NEAR(crackOpeningKernel({0.5, 1.0, -1.0}, 0.0), 0.5 * std::log(2.0 + std::sqrt(3.0)), 1e-15);
    // On the integrated side it is |x - b| arcosh((1 - b x)/|x - b|), b = -d e c.
    const double b = 0.3;
    for (double x : {0.5, 0.8, 0.99}) {
        const double expected = (x - b) * std::acosh((1.0 - b * x) / (x - b));
        EXPECT_NEAR(crackOpeningKernel({b, -1.0, 1.0}, x), expected, 1e-14) << x;
    }
}

TEST(ConvolutionIntegrands, ClampBothTimeArgumentsAndCombineTheFits) {
    auto state = std::make_unique<ModelState>();
    state->march.currentTime = 2.0;
    state->fits.pressureDerivativeFitScale = 3.0;
    state->fits.pressureDerivativeFitExponent = -0.5;
    state->fits.storageDerivativeFitIntercept = 0.2;
    state->fits.storageDerivativeFitSlope = 0.1;
    state->derived.dimensionlessFractureStorage = 0.5;
    const double tau = 0.5;
    const double l = 0.2 + 0.1 * std::log(tau);
    const double k = 3.0 / std::sqrt(1.5);
    EXPECT_NEAR(rateConvolutionIntegrand(*state, tau), (1.0 - 0.5 * l) * k, 1e-15);
    EXPECT_NEAR(storageConvolutionIntegrand(*state, tau), -(k * 0.5 * l), 1e-15);
    // At tau = t the power takes 1e-15; at tau = 0 the logarithm does.
    EXPECT_NEAR(rateConvolutionIntegrand(*state, 2.0), (1.0 - 0.5 * (0.2 + 0.1 * std::log(2.0))) * 3.0 / std::sqrt(1e-15),
                1e-6);
    EXPECT_TRUE(std::isfinite(storageConvolutionIntegrand(*state, 0.0)));
}

}  // namespace
}  // namespace quenlor
