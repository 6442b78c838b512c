#include "flow/stehfest_inversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace quenlor {
namespace {

TEST(StehfestWeights, TwoTermsArePlusAndMinusTwo) {
    StehfestTable t{};
    buildStehfestWeights(2, t);
    EXPECT_EQ(t.weights[1], 2.0);
    EXPECT_EQ(t.weights[2], -2.0);
}

TEST(StehfestWeights, MatchTheClosedFormForEveryEvenCount) {
    // V(i) = (-1)^(N/2+i) sum_k k^(N/2) (2k)! / ((N/2-k)! k! (k-1)! (i-k)! (2k-i)!),
    // summed here with exact integers (long double factorial ratios) as an
    // independent check, together with the identities sum V = 0 and
    // sum V/i = 1 that make 1/s invert to 1.
    auto fact = [](int n) {
        long double f = 1;
        for (int k = 2; k <= n; ++k) f *= k;
        return f;
    };
    for (int n = 2; n <= 18; n += 2) {
        StehfestTable t{};
        buildStehfestWeights(n, t);
        const int nh = n / 2;
        long double sum = 0, sumOverI = 0, scale = 0;
        for (int i = 1; i <= n; ++i) {
            long double v = 0;
            for (int k = (i + 1) / 2; k <= std::min(i, nh); ++k)
                v += std::pow(static_cast<long double>(k), nh) * fact(2 * k) /
                     (fact(nh - k) * fact(k) * fact(k - 1) * fact(i - k) * fact(2 * k - i));
            if ((nh + i) % 2 == 1) v = -v;
            EXPECT_NEAR(t.weights[i] / static_cast<double>(v), 1.0, 1e-13) << "N " << n << " i " << i;
            sum += t.weights[i];
            sumOverI += t.weights[i] / i;
            scale = std::max(scale, std::fabs(static_cast<long double>(t.weights[i])));
        }
        EXPECT_NEAR(static_cast<double>(sum / scale), 0.0, 1e-14) << n;
        EXPECT_NEAR(static_cast<double>(sumOverI), 1.0, 1e-14 * static_cast<double>(scale)) << n;
    }
}

struct KnownInverse {
    const char* name;
    double (*transform)(double);
    double (*inverse)(double);
    double tolerance;  // relative, for N = 12
};

const KnownInverse kInverses[] = {
    {"1/s -> 1", [](double s) { return 1.0 / s; }, [](double) { return 1.0; }, 1e-9},
    {"1/s^2 -> t", [](double s) { return 1.0 / (s * s); }, [](double t) { return t; }, 2e-6},
    {"1/(s+1) -> exp(-t)", [](double s) { return 1.0 / (s + 1.0); }, [](double t) { return std::exp(-t); }, 2e-3},
    {"1/sqrt(s) -> 1/sqrt(pi t)", [](double s) { return 1.0 / std::sqrt(s); },
     [](double t) { return 1.0 / std::sqrt(std::acos(-1.0) * t); }, 2e-6},
};

TEST(StehfestInversion, InvertsTransformsWithKnownInverses) {
    StehfestTable table{};
    std::int32_t claimed = 0;
    for (const KnownInverse& k : kInverses) {
        for (double t : {0.01, 0.5, 1.0, 3.0}) {
            const InversionResult r = invertTransform(k.transform, 12, t, 0.0, table, claimed);
            EXPECT_NEAR(r.pressure / k.inverse(t), 1.0, k.tolerance) << k.name << " at t = " << t;
        }
    }
}

TEST(StehfestInversion, DerivativeIsTheInverseOfSTimesTheTransform) {
    StehfestTable table{};
    std::int32_t claimed = 0;
    // 1/s^2 -> t, derivative 1; 1/s^3 -> t^2/2, derivative t.
    const InversionResult a = invertTransform([](double s) { return 1.0 / (s * s); }, 12, 2.0, 0.0, table, claimed);
    EXPECT_NEAR(a.pressureDerivative, 1.0, 1e-9);
    const InversionResult b = invertTransform([](double s) { return 1.0 / (s * s * s); }, 12, 2.0, 0.0, table, claimed);
    EXPECT_NEAR(b.pressure / 2.0, 1.0, 1e-4);  // t^2 is harder for the method than t
    EXPECT_NEAR(b.pressureDerivative / 2.0, 1.0, 2e-6);
}

TEST(StehfestInversion, StorageTransformIsInvertedAlongside) {
    StehfestTable table{};
    std::int32_t claimed = 0;
    // p = 1/s with storage C: 1/(s (1 + C s)) -> 1 - exp(-t/C).
    const double c = 0.5;
    const InversionResult r = invertTransform([](double s) { return 1.0 / s; }, 12, 1.0, c, table, claimed);
    EXPECT_NEAR(r.storagePressure, 1.0 - std::exp(-1.0 / c), 2e-3);
    EXPECT_NEAR(r.storagePressureDerivative, std::exp(-1.0 / c) / c, 2e-3);
    // Without storage both pairs coincide.
    const InversionResult z = invertTransform([](double s) { return 1.0 / (s + 2.0); }, 10, 0.7, 0.0, table, claimed);
    EXPECT_EQ(z.storagePressure, z.pressure);
    EXPECT_EQ(z.storagePressureDerivative, z.pressureDerivative);
}

TEST(StehfestInversion, RebuildsWeightsNotBuiltForThisCountWhateverTheClaim) {
    // A never-built table claimed to hold 12-term weights must not invert
    // to zero: the table itself records what it was built for.
    StehfestTable table{};
    std::int32_t claimed = 12;
    const InversionResult r = invertTransform([](double s) { return 1.0 / s; }, 12, 1.0, 0.0, table, claimed);
    EXPECT_NEAR(r.pressure, 1.0, 1e-9);
    // Weights for 10 terms are rebuilt when 12 is asked, whatever is claimed.
    buildStehfestWeights(10, table);
    claimed = 12;
    StehfestTable fresh{};
    buildStehfestWeights(12, fresh);
    invertTransform([](double s) { return 1.0 / s; }, 12, 1.0, 0.0, table, claimed);
    for (int i = 1; i <= 12; ++i) EXPECT_EQ(table.weights[i], fresh.weights[i]) << i;
    EXPECT_EQ(claimed, 12);
    EXPECT_EQ(table.builtFor, 12);
}

TEST(StehfestInversion, RefusesTermCountsItCannotBuild) {
    for (int n : {-2, 0, 1, 7, 20, 40}) {
        StehfestTable table{};
        std::int32_t claimed = 0;
        const InversionResult r = invertTransform([](double s) { return 1.0 / s; }, n, 1.0, 0.0, table, claimed);
        EXPECT_EQ(r.pressure, 0.0) << n;
        EXPECT_EQ(table.builtFor, 0) << n;
    }
}

}  // namespace
}  // namespace quenlor
