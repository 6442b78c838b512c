#include "flow/laplace_solution.h"

#include <gtest/gtest.h>

#include <cmath>

#include "flow/special_functions.h"
#include "flow/stehfest_inversion.h"

namespace quenlor {
namespace {

const double kPi = std::acos(-1.0);

// pi / (G s a coth... ) written with the hyperbolic functions' definition,
// for the uncorrected solution with face-skin factor f.
double uncorrected(double g, double d, double f, double s) {
    const double u = std::sqrt(s + std::sqrt(s));
    const double a = std::sqrt(s / d + 2.0 * u / (g * (1.0 + f * u)));
    const double coth = (std::exp(2.0 * a) + 1.0) / (std::exp(2.0 * a) - 1.0);
    return kPi * coth / (g * s * a);
}

TEST(LaplaceSolution, WithoutCorrectionIsTheTrilinearForm) {
    for (double s : {0.01, 0.3, 2.0, 40.0}) {
        for (double f : {0.0, 2.0 / kPi, 1.5}) {
            const LaplaceSolutionParameters p{2.5, 50.0, f, 0.0, 3.7};
            EXPECT_NEAR(laplaceWellboreSolution(p, s) / uncorrected(2.5, 50.0, f, s), 1.0, 1e-13)
                << "s " << s << " f " << f;
        }
    }
}

TEST(LaplaceSolution, CorrectionScalesByOneMinusWeightedE1) {
    const LaplaceSolutionParameters with{1.0, 10.0, 0.0, 0.3, 1.15};
    const LaplaceSolutionParameters without{1.0, 10.0, 0.0, 0.0, 1.15};
    for (double s : {0.05, 1.0, 8.0}) {
        const double factor = 1.0 - 0.3 * exponentialIntegralE1(std::sqrt(1.15 * s));
        EXPECT_NEAR(laplaceWellboreSolution(with, s), laplaceWellboreSolution(without, s) * factor, 1e-15);
    }
    // E1 decreases, so the correction fades as s grows.
    EXPECT_GT(laplaceWellboreSolution(with, 100.0) / laplaceWellboreSolution(without, 100.0),
              laplaceWellboreSolution(with, 1.0) / laplaceWellboreSolution(without, 1.0));
}

TEST(LaplaceSolution, EarlyTimeInvertsToBilinearFlow) {
    // Bilinear flow of a finite-conductivity fracture (Cinco-Ley and
    // Samaniego, 1981): pD = pi / (sqrt(2 FcD) Gamma(5/4)) tD^(1/4),
    // i.e. 2.45 / sqrt(FcD) tD^(1/4), when the fracture's own storage
    // (the s/eta term) is negligible.
    const double fcd = 2.0;
    const LaplaceSolutionParameters p{fcd, 1e12, 0.0, 0.0, 1.0};
    StehfestTable table{};
    std::int32_t claimed = 0;
    for (double t : {1e-6, 1e-5, 1e-4}) {
        const InversionResult r = invertLaplace(p, 12, t, 0.0, table, claimed);
        const double bilinear = kPi / (std::sqrt(2.0 * fcd) * std::tgamma(1.25)) * std::pow(t, 0.25);
        EXPECT_NEAR(r.pressure / bilinear, 1.0, 0.01) << "t " << t;
        // The log-log slope of the derivative: t p' / p = 1/4.
        EXPECT_NEAR(t * r.pressureDerivative / r.pressure, 0.25, 0.01) << "t " << t;
    }
}

TEST(LaplaceSolution, LargeDiffusivityMakesTheFractureTermNegligible) {
    const LaplaceSolutionParameters finite{1.0, 1e14, 0.5, 0.0, 1.0};
    const LaplaceSolutionParameters limit{1.0, INFINITY, 0.5, 0.0, 1.0};
    for (double s : {0.1, 10.0, 1000.0})
        EXPECT_NEAR(laplaceWellboreSolution(finite, s) / laplaceWellboreSolution(limit, s), 1.0, 1e-10);
}

}  // namespace
}  // namespace quenlor
