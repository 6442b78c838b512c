// Benchmarks of the model's kernels and of whole runs.
//
//   build/bench/quenlor_benchmarks                        everything (the plain
//                                                         run takes minutes)
//   build/bench/quenlor_benchmarks --benchmark_filter=-Plain   without it
//
// Whole runs go through the exported interface, as a host calls it; the
// plain evaluation (every reuse turned off) runs the same data through the
// core, where the switch lives.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "flow/laplace_solution.h"
#include "flow/stehfest_inversion.h"
#include "fracture/closure_storage.h"
#include "fracture/section_area.h"
#include "interface/exports.h"
#include "interface/intake.h"
#include "interface/response_lookup.h"
#include "state/default_case.h"

namespace {

using namespace quenlor;

constexpr double kDefaults[kParameterCount] = {300.0, 0.0,  200.0, 15.0, 15.0, 1.0, 20.0, 20.0,
                                               static_cast<double>(0.01f), 2.0, 130000.0, 0.25};

const std::string kDefaultData = std::string(QUENLOR_SOURCE_DIR) + "/data/";

void copyFile(const std::string& from, const std::string& to) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (!in || !out) std::abort();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) std::fwrite(buffer, 1, n, out);
    std::fclose(in);
    std::fclose(out);
}

// A data directory holding a preset's control file and the default grid.
std::string presetDirectory(const char* preset) {
    char pattern[] = "/tmp/quenlor-bench-XXXXXX";
    const std::string dir = std::string(mkdtemp(pattern)) + "/";
    copyFile(std::string(QUENLOR_SOURCE_DIR) + "/bench/presets/" + preset + "/" + kControlFileName,
             dir + kControlFileName);
    copyFile(kDefaultData + kGridFileName, dir + kGridFileName);
    return dir;
}

void hostRun(benchmark::State& bench, const std::string& dir) {
    EL_SetDllPath(dir.c_str(), static_cast<std::int32_t>(dir.size()));
    const double* l = kDefaultLayerValues;
    for (auto _ : bench) EL_SetActiveLayerFullModel(0, kDefaults, l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
    double p = 0.0;
    EL_GetRealSpaceSolution(40.0, &p);  // table time 9e-5 for the default layer
    bench.counters["pD(host 40)"] = p;
}

void coreRun(benchmark::State& bench, const std::string& dir, bool reuse) {
    auto state = std::make_unique<ModelState>();
    state->reuseDisabled = !reuse;
    setDataDirectory(*state, dir.data(), static_cast<int>(dir.size()));
    for (auto _ : bench) setActiveLayer(*state, kParameterCount, kDefaults, kDefaultLayerValues);
    bench.counters["rows"] = state->table.count;
}

void DefaultRun(benchmark::State& bench) { hostRun(bench, kDefaultData); }
void DefaultRunCore(benchmark::State& bench) { coreRun(bench, kDefaultData, true); }
void DefaultRunPlain(benchmark::State& bench) { coreRun(bench, kDefaultData, false); }
void LargeRun(benchmark::State& bench) { hostRun(bench, presetDirectory("large")); }

BENCHMARK(DefaultRun)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(DefaultRunCore)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(DefaultRunPlain)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(LargeRun)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

LaplaceSolutionParameters defaultLaplace() { return {1.0, 1e5, 0.0, 0.0, 0.5 + 0.65 * 1.0}; }

void LaplaceSolution(benchmark::State& bench) {
    const LaplaceSolutionParameters p = defaultLaplace();
    double s = 1e3;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(laplaceWellboreSolution(p, s));
        s = s * 1.0000001;
    }
}
BENCHMARK(LaplaceSolution);

void Inversion(benchmark::State& bench) {
    const LaplaceSolutionParameters p = defaultLaplace();
    StehfestTable table{};
    std::int32_t claimed = 0;
    double t = 1e-6;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(invertLaplace(p, 12, t, 0.04, table, claimed));
        t = t * 1.0000001;
    }
}
BENCHMARK(Inversion);

std::unique_ptr<ModelState> closureState() {
    auto s = std::make_unique<ModelState>();
    DerivedGroups& d = s->derived;
    d.stressContrastRatio = 1.0;
    d.equilibriumPressureRatio1 = 2.0 * std::acos(2.0 / 3.0) / std::acos(-1.0);
    d.equilibriumPressureRatio2 = d.equilibriumPressureRatio1;
    d.dimensionlessFractureStorage = 0.0434;
    d.dimensionlessWellboreStorage = 2.7e-4;
    d.scaledFractureStorage = 0.0434;
    d.dimensionlessStressContrast = 0.00118;
    d.dimensionlessClosureTime = 5.3e-7;
    d.effectiveShrinkageDelay = 2.0;
    s->control.fractureStorageFactor = 1.0;
    s->control.closedFractureCompliance = -20.0;
    s->control.closureWidthFraction = 1.0;
    s->control.closureReferencePressure = 1.2e-5;
    s->march.currentTime = 1e-5;
    return s;
}

void SectionArea(benchmark::State& bench) {
    auto s = closureState();
    double pn = 0.3;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(fractureSectionArea(*s, pn));
        pn = pn == 0.3 ? 0.30001 : 0.3;
    }
}
BENCHMARK(SectionArea);

// One closure storage evaluation after closure at a new pressure each time
// (nothing of it can be reused but the closure-start areas).
void ClosureStorage(benchmark::State& bench) {
    auto s = closureState();
    double pw = 1.5e-4;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(closureStorageByPressure(*s, pw));
        pw = pw * 1.0000001;
    }
}
BENCHMARK(ClosureStorage);

void Lookup(benchmark::State& bench) {
    auto state = std::make_unique<ModelState>();
    setDataDirectory(*state, kDefaultData.data(), static_cast<int>(kDefaultData.size()));
    setActiveLayer(*state, kParameterCount, kDefaults, kDefaultLayerValues);
    // Host times spread over the table (host time = table time * Xf^2 / rw^2).
    const double scale = 200.0 * 200.0 / (DefaultLayer::wellRadius * DefaultLayer::wellRadius);
    double times[64];
    for (int i = 0; i < 64; ++i) times[i] = 3e-8 * std::pow(3e5, i / 63.0) * scale;
    int i = 0;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(lookupResponse(*state, times[i]));
        i = (i + 1) & 63;
    }
    bench.counters["rows"] = state->table.count;
}
BENCHMARK(Lookup);

}  // namespace

BENCHMARK_MAIN();
