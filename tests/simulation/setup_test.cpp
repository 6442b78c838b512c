#include "simulation/setup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "interface/intake.h"
#include "state/default_case.h"
#include "support/test_files.h"

namespace quenlor {
namespace {

const double kPi = std::acos(-1.0);

class SetUpTest : public ::testing::Test {
protected:
    std::unique_ptr<ModelState> s = std::make_unique<ModelState>();
    void SetUp() override {
        std::memcpy(&s->parameters, testing_support::kCatalogueDefaults, sizeof s->parameters);
        s->layer = {0.1, 20.0, 0.3, 1.0, 1e-5, 0.08, 10.0};
        for (int a = 1; a <= kGridSize; ++a)
            for (int b = 1; b <= kGridSize; ++b) s->grid.at(a, b) = (b - 1) * 0.025;
        s->control = testing_support::smallControl();
    }
    void setUp() {
        const ModelParameters& p = s->parameters;
        s->effectiveCompressibility = s->layer.totalCompressibility +
                                      3.0 * (1.0 - 2.0 * p.poissonRatio) / (p.youngModulus * s->layer.porosity);
        orderContrastsAndHeights(s->parameters);
        setUpSimulation(*s);
    }
};

TEST_F(SetUpTest, TallerFractureWithEqualContrastsHasBarriersAtTwoThirds) {
    setUp();  // heights 15 + 15 in a 20 ft layer
    const double expected = 2.0 * std::acos(2.0 / 3.0) / kPi;
    EXPECT_NEAR(s->derived.equilibriumPressureRatio1, expected, 1e-14);
    EXPECT_NEAR(s->derived.equilibriumPressureRatio2, expected, 1e-14);
}

TEST_F(SetUpTest, UnequalContrastsWeighTheTwoBarriers) {
    s->parameters.stressContrast1 = 30.0;  // ordered to 10 and 30
    s->parameters.stressContrast2 = 10.0;
    setUp();
    const double c = 2.0 / 3.0, q = std::sqrt(1 - c * c);
    EXPECT_NEAR(s->derived.equilibriumPressureRatio1, ((std::acos(c) + q) * 10 + (std::acos(c) - q) * 30) / (kPi * 10), 1e-14);
    // (The second ratio, ((acos c - q) 10 + (acos c + q) 30)/(pi 30) = 0.694, stays below the 0.99 cap.)
    EXPECT_NEAR(s->derived.equilibriumPressureRatio2, ((std::acos(c) - q) * 10 + (std::acos(c) + q) * 30) / (kPi * 30), 1e-14);
    EXPECT_NEAR(s->derived.stressContrastRatio, 1.0 / 3.0, 1e-15);
}

TEST_F(SetUpTest, LimitsAndSpecialCases) {
    struct Case {
        const char* name;
        void (*change)(ModelState&);
        void (*check)(const ModelState&);
    };
    const Case cases[] = {
        {"fracture within the layer",
         [](ModelState& m) { m.layer.thickness = 40.0; },
         [](const ModelState& m) {
             EXPECT_EQ(m.derived.equilibriumPressureRatio1, 0.001);
             EXPECT_EQ(m.derived.equilibriumPressureRatio2, 0.001);
         }},
        {"a tip inside the pay zone drops its barrier",
         [](ModelState& m) { m.parameters.height1 = 25.0; m.parameters.height2 = 1.0; },
         [](const ModelState& m) {
             const double c1 = (20.0 - 24.0) / 26.0;
             const double p1 = (std::acos(c1) + std::sqrt(1 - c1 * c1)) * 20.0 / kPi;  // barrier 2 at position 1
             EXPECT_NEAR(m.derived.equilibriumPressureRatio1, std::min(p1 / 20.0, 0.99), 1e-14);
         }},
        {"zero first contrast",
         [](ModelState& m) { m.parameters.stressContrast1 = 0.0; },
         [](const ModelState& m) { EXPECT_EQ(m.derived.stressContrastRatio, 0.001); }},
        {"both contrasts zero",
         [](ModelState& m) { m.parameters.stressContrast1 = 0.0; m.parameters.stressContrast2 = 0.0; },
         [](const ModelState& m) {
             EXPECT_EQ(m.derived.stressContrastRatio, 1.0);
             EXPECT_EQ(m.derived.dimensionlessStressContrast, 0.001);
         }},
        {"zero shrinkage delay",
         [](ModelState& m) { m.parameters.shrinkageDelay = 0.0; },
         [](const ModelState& m) { EXPECT_EQ(m.derived.effectiveShrinkageDelay, 0.001); }},
        {"circular outline",
         [](ModelState& m) { m.parameters.halfLength = 15.0; },
         [](const ModelState& m) {
             const double compliance = 4.0 / 3.0 * 15.0 * 30.0 * 30.0 * (1 - 0.25 * 0.25) / 130000.0;
             const double ce = m.effectiveCompressibility;
             EXPECT_NEAR(m.derived.dimensionlessFractureStorage, compliance / (2 * kPi * 20.0 * 225.0 * ce * 0.08), 1e-14);
         }},
        {"fracture taller than its length uses 2 Xf",
         [](ModelState& m) { m.parameters.halfLength = 10.0; },
         [](const ModelState& m) {
             // Aspect 20/30: E(k^2 = 5/9) = 1.32211996577422 by the arithmetic-geometric mean.
             const double compliance = 2.0 / 3.0 * kPi * 10.0 * 30.0 * 20.0 * (1 - 0.0625) / (130000.0 * 1.32211996577422);
             const double ce = m.effectiveCompressibility;
             EXPECT_NEAR(m.derived.dimensionlessFractureStorage / (compliance / (2 * kPi * 20.0 * 100.0 * ce * 0.08)), 1.0,
                         1e-12);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.change(*s);
        setUp();
        c.check(*s);
    }
}

TEST_F(SetUpTest, StoragesAndLaplaceParametersOfTheDefaultCase) {
    s->table.count = 77;
    setUp();
    const double ce = 1e-5 + 3.0 * 0.5 / (130000.0 * 0.08);
    const double denominator = 2 * kPi * 20.0 * 200.0 * 200.0 * ce * 0.08;
    EXPECT_NEAR(s->derived.dimensionlessWellboreStorage, 5.614583 * 1e-5 * 300.0 / denominator, 1e-17);
    const double closure = static_cast<double>(0.01f);  // the catalogue default, a widened float
    EXPECT_NEAR(s->derived.dimensionlessClosureTime, 0.0002637 * 0.1 * closure / (0.08 * 1.0 * ce * 40000.0), 1e-20);
    EXPECT_NEAR(s->derived.dimensionlessStressContrast, 0.1 * 20.0 * 20.0 / (141.2 * 10.0 * 1.0), 1e-8);
    EXPECT_EQ(s->laplace.faceSkinFactor, 0.0);
    EXPECT_NEAR(s->laplace.e1ArgumentScale, 1.15, 1e-7);
    EXPECT_EQ(s->laplace.conductivity, 1.0);
    EXPECT_EQ(s->table.count, 1);
}

}  // namespace
}  // namespace quenlor
