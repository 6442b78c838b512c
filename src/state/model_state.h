// The model's whole state: one fixed-size record.
//
// Everything the model knows lives here: the host's parameters and layer
// values, the control record and lookup grid read from the data files, the
// derived dimensionless groups, the working values of the simulation, the
// response table the host's solution requests interpolate, and the few
// values that outlive a run (the Stehfest weights and the held lookup
// result). Procedures take the record explicitly; the exported layer owns
// the single process-wide instance. Nothing in it is allocated at run time.
//
// Units are oilfield units (md, ft, cp, 1/psi, psi, hours, bbl, bbl/day);
// dimensionless times of the simulation are based on the fracture half
// length, dimensionless pressures on min(fracture height, thickness).
//
// A value-initialised record (ModelState{} or make_unique<ModelState>())
// is the state at load: numbers zero, texts blank.
#pragma once

#include <cstdint>
#include <cstring>

namespace quenlor {

inline constexpr int kParameterCount = 12;
inline constexpr int kLayerValueCount = 9;
inline constexpr int kTableCapacity = 10000;   // rows, the origin row included
inline constexpr int kRecordLastIndex = 15000; // step records hold entries 0..15000
inline constexpr int kGridSize = 201;
inline constexpr int kMaxStehfestTerms = 18;
inline constexpr int kDllPathLength = 100;
inline constexpr int kWorkingPathLength = 80;
inline constexpr int kFilePathLength = 255;

inline constexpr char kControlFileName[] = "e_Quenlor Input.dat";
inline constexpr char kGridFileName[] = "e_Quenlor Sapp.txt";

// A blank-padded text of fixed length, as the model keeps its texts.
template <int N>
struct BlankText {
    char chars[N];
    BlankText() { std::memset(chars, ' ', N); }
    // Length without trailing blanks.
    int trimmedLength() const {
        int n = N;
        while (n > 0 && chars[n - 1] == ' ') --n;
        return n;
    }
};

// The twelve model parameters in catalogue order.
struct ModelParameters {
    double wellboreVolume;     // bbl
    double fractureFaceSkin;   // -
    double halfLength;         // ft
    double height1;            // ft
    double height2;            // ft
    double conductivity;       // - (FcD)
    double stressContrast1;    // psi
    double stressContrast2;    // psi
    double closureTime;        // hours
    double shrinkageDelay;     // - (dimensionless pressure span)
    double youngModulus;       // psi
    double poissonRatio;       // -
};

// The used layer values of the host (values 4 and 5 are ignored).
struct LayerProperties {
    double permeability;          // md
    double thickness;             // ft
    double wellRadius;            // ft
    double viscosity;             // cp
    double totalCompressibility;  // 1/psi
    double porosity;              // fraction
    double rateFactor;            // bbl/day, rate times formation volume factor
};

// The forty values of the simulation control file, in file order.
struct ControlRecord {
    double controlSpare1;
    double controlSpare2;
    double controlSpare3;
    double minInjectionInversionTime;
    double minShutInInversionTime;
    double controlSpare6;
    double controlSpare7;
    double gridLowerParameter;
    double firstPassStartTime;
    double firstPassEndTime;
    double gridUpperLimit;
    double fractureDiffusivity;
    double e1CorrectionWeight;
    double controlSpare14;
    double controlSpare15;
    double injectionDuration;
    double controlSpare17;
    double linearPassStartTime;
    double linearPassEndTime;
    double storageProductFactor;
    double fractureStorageFactor;
    double closedFractureCompliance;
    double closureWidthFraction;
    double closureReferencePressure;
    double previousClosureIndicator;
    double closureCrossingTime;
    double simulationEndTime;
    std::int32_t stehfestTerms;
    std::int32_t stehfestTermsCached;
    std::int32_t controlSpare30;
    std::int32_t passCount;
    std::int32_t timeStepCount;
    std::int32_t gridPointCount;
    std::int32_t timeSpacingMode;
    std::int32_t falloffPeriods;
    std::int32_t controlSpare36;
    std::int32_t stepsPerInjection;
    std::int32_t quadratureSwitch;
    std::int32_t closureModel;
    std::int32_t controlSpare40;
};

// Apparent face skin on a 0.025 grid of 2/FcD (first axis) and |skin|.
struct LookupGrid {
    double values[kGridSize][kGridSize];
    // T(a, b), 1-based as the file and the formulas count.
    double& at(int a, int b) { return values[a - 1][b - 1]; }
    double at(int a, int b) const { return values[a - 1][b - 1]; }
};

// The simulated response: rows 1..count, row 1 the origin (0, 0).
struct ResponseTable {
    std::int32_t count;
    double time[kTableCapacity + 1];   // index 0 unused
    double value[kTableCapacity + 1];  // index 0 unused
    // Whether rows 2..count are in strictly increasing time (kept by
    // appendRow), so that a lookup may search by bisection.
    bool timesIncreasing;
};

// Dimensionless groups of the set-up.
struct DerivedGroups {
    double stressContrastRatio;
    double dimensionlessStressContrast;
    double dimensionlessClosureTime;
    double effectiveShrinkageDelay;
    double equilibriumPressureRatio1;
    double equilibriumPressureRatio2;
    double dimensionlessFractureStorage;
    double dimensionlessWellboreStorage;
    double scaledFractureStorage;
    double apparentSkin;
};

// The five inputs of the Laplace-space wellbore solution.
struct LaplaceSolutionParameters {
    double conductivity;
    double fractureDiffusivity;
    double faceSkinFactor;
    double e1CorrectionWeight;
    double e1ArgumentScale;
};

// Stehfest weights V(1..N) and the term count they were built for in this
// process (0: never built).
struct StehfestTable {
    double weights[kMaxStehfestTerms + 1];  // index 0 unused
    std::int32_t builtFor;
};

// Power-law and straight-line fits of the calibration sweeps.
struct SweepFits {
    double pressureFitScale, pressureFitExponent;
    double storagePressureFitScale, storagePressureFitExponent;
    double pressureDerivativeFitScale, pressureDerivativeFitExponent;
    double storageDerivativeFitIntercept, storageDerivativeFitSlope;
    double fallOffPressureFitScale, fallOffPressureFitExponent;
    double fallOffDerivativeFitScale, fallOffDerivativeFitExponent;
    double lastSweepStoragePressure;
};

// Working values of the marches.
struct MarchState {
    double currentTime;
    double timeStep;
    double timeRecord[kRecordLastIndex + 1];
    double pressureRecord[kRecordLastIndex + 1];
    std::int32_t recordCount;
    double stepPressure;
    double stepStoragePressure;
    double pressureOffset;
    double stepStorage;
    double extrapolatedPressure;
    double historySum;
    double timeSinceShutIn;
    double earlyInjectionIntegral;
    double mainInjectionIntegral;
    double lateInjectionIntegral;
    double quadratureTolerance;
    double firstTermMemory;
    double tailCorrection;
};

// Parameters of the crack-opening kernel, set before each section integral.
struct KernelParameters {
    double kernelPosition;
    double kernelPositionSign;
    double kernelSideSign;
};

// Values the simulation keeps so that it need not compute them again.
// Every kept value is the very double a fresh evaluation would give: an
// entry is used only when all its inputs are equal to the ones it was
// computed from.
struct ReuseMemo {
    // Closed-fracture storage of record interval k (closure model 5), as a
    // function of its mean pressure and the closure reference pressure.
    struct IntervalStorage {
        double pressure;
        double reference;
        double value;
        bool valid;
    };
    IntervalStorage interval[kRecordLastIndex + 1];
    // Section areas at the closure-start net pressure P0 (and P0 +- h).
    struct ClosureStartAreas {
        double p0;
        double ratio;
        double equilibrium1;
        double below, above, centre;
        bool valid;
    } closureStart;
    // The last few section areas evaluated (once the net pressure has
    // fallen to its floor, every evaluation asks for the same three).
    struct SectionArea {
        double pn;
        double ratio;
        double equilibrium1;
        double area;
        bool valid;
    };
    static constexpr int kRecentAreas = 6;
    SectionArea recentAreas[kRecentAreas];
    int nextRecentArea;
};

struct ModelState {
    BlankText<kDllPathLength> dllPath;
    BlankText<kWorkingPathLength> workingPath;
    ModelParameters parameters;
    LayerProperties layer;
    double effectiveCompressibility;
    ControlRecord control;
    LookupGrid grid;
    LookupGrid gridScratch;  // a grid being read, kept until it is complete
    ResponseTable table;
    double heldResult;
    DerivedGroups derived;
    LaplaceSolutionParameters laplace;
    StehfestTable stehfest;
    SweepFits fits;
    MarchState march;
    KernelParameters kernel;
    double pinnedTipRatio;
    bool pinnedTipRatioDerived;  // cleared at the start of every run
    ReuseMemo memo;
    // Turns every reuse of earlier results off: the plain evaluation, for
    // checking that reuse changes no result.
    bool reuseDisabled;
};

}  // namespace quenlor
