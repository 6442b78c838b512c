// A stand-in for the host application: loads the model library at run
// time, the way the host does, and checks what the host relies on.
//
// Built twice from this one file: as a 32-bit Windows program that loads
// quenlor.dll with LoadLibrary (run under Wine in our tests), and natively
// on Linux, where it loads libquenlor.so with dlopen. The curves the two
// write are compared with each other.
//
//   quenlor_host check LIBRARY
//       every entry point found by name (and, on Windows, by ordinal 1..14
//       to the same address); the calling convention (on 32-bit x86 the
//       caller removes the arguments: 80 bytes for the parameter hand-over,
//       12 for a solution request, laid out by hand here); the catalogue
//       texts, values and flags byte for byte.
//   quenlor_host curve LIBRARY DATADIR OUTFILE
//       a full run on the documented default case (catalogue defaults and
//       the default layer values), the data directory handed over with its
//       trailing separator; writes the dimensionless pressure at a fixed
//       set of host times, one "time pressure" line each, in hexadecimal
//       floating point so that no digit is lost.
//   quenlor_host fpenv LIBRARY DATADIR
//       the host's floating-point environment: with exceptions unmasked,
//       directed rounding, flush to zero and a reduced x87 precision in
//       this program's own control words, runs the model on values that
//       produce infinities and NaNs inside, checks that no exception was
//       raised and that the control words and exception flags are as they
//       were; then checks that the default-case curve computed under that
//       environment is bit for bit the one computed under the default one.
//   quenlor_host fpe-canary
//       unmasks the same exceptions and divides by zero in this program:
//       must die with the floating-point exception report (exit code 3),
//       which shows that the fpenv check would see a raised exception.
//   quenlor_host compare FILE_A FILE_B
//       compares two curve files: same times, pressures equal or within
//       1e-12 relative.
//
// Exit code 0 when every check passed, 1 when one failed (each failure
// one line on standard error), 2 for a usage or set-up error, 3 when a
// floating-point exception was raised.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#define HOST_CDECL __cdecl
#else
#include <dlfcn.h>
#include <csignal>
#include <unistd.h>
#define HOST_CDECL
#endif

#include "state/default_case.h"

namespace {

// Pointer types written from the host's argument table: 32-bit integers,
// 64-bit doubles, pointers; by value where the table says so.
using IntOutFn = void(HOST_CDECL*)(std::int32_t*);
using IndexIntOutFn = void(HOST_CDECL*)(std::int32_t, std::int32_t*);
using MainInfoFn = void(HOST_CDECL*)(std::int32_t, char*, char*, std::int32_t*);
using TextOutFn = void(HOST_CDECL*)(char*);
using RealInfoFn = void(HOST_CDECL*)(std::int32_t, double*, double*, double*, std::int32_t*, char*, std::int32_t*);
using SolutionFn = void(HOST_CDECL*)(double, double*);
using NoArgsFn = void(HOST_CDECL*)();
using SetLayerFn = void(HOST_CDECL*)(std::int32_t, const double*, double, double, double, double, double, double,
                                     double, double, double);
using SetPathFn = void(HOST_CDECL*)(const char*, std::int32_t);

// The export table in ordinal order.
constexpr const char* kExportNames[14] = {
    "EL_CDImplementedYet",     "EL_GetEnumDefaultIndex",   "EL_GetMainParameterInfo", "EL_GetModelName",
    "EL_GetNumberOfEnums",     "EL_GetNumberOfParameters", "EL_GetRealParameterInfo", "EL_GetRealSpaceSolution",
    "EL_InitDll",              "EL_SetActiveLayerFullModel", "EL_SetDllPath",         "EL_SkinImplementedYet",
    "EL_SolutionType",         "EL_Support2P"};

// The catalogue as the host documentation gives it. Bounds marked as
// single precision there are those floats widened: 0.1f, 0.2f, 0.01f, 0.99f.
struct ExpectedEntry {
    const char* longName;
    const char* shortName;
    double minimum;
    double maximum;
    double defaultValue;
    std::int32_t unitCode;
};
constexpr ExpectedEntry kExpectedCatalogue[12] = {
    {"Wellbore Volume", "Vw", 0.10000000149011612, 1.0e30, 300.0, 26},
    {"Fracture Face Skin", "S(Fracture)", 0.0, 10000.0, 0.0, 30},
    {"Fracture Half Length", "Xf", 0.5, 1.0e30, 200.0, 2},
    {"1st Frac part-Height", "hf1", 0.5, 1.0e30, 15.0, 2},
    {"2st Frac part-Height", "hf2", 0.5, 1.0e30, 15.0, 2},
    {"Dimensionless Fracture Conductivity", "FcD", 0.20000000298023224, 1.0e30, 1.0, 30},
    {"1st Stress Ht Contrast", "S1", 0.0, 1.0e30, 20.0, 1},
    {"2nd Stress Ht Contrast", "S2", 0.0, 1.0e30, 20.0, 1},
    {"Time Fracture Close", "t(close)", 0.0, 1.0e30, 0.009999999776482582, 0},
    {"Shrinkage delay", "Shrinkage delay", 0.0, 1.0e30, 2.0, 30},
    {"Young modulus", "Young's modulus", 10000.0, 1.0e30, 130000.0, 1},
    {"Poisson ratio", "Poisson's ratio", 0.009999999776482582, 0.9900000095367432, 0.25, 30},
};

constexpr int kField = 80;      // bytes of a text field
constexpr int kBuffer = 96;     // the host's buffer: the field and a guard zone
constexpr unsigned char kFill = 0xA5;

int g_failures = 0;
int g_checks = 0;

void fail(const std::string& what) {
    ++g_failures;
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
}

void expect(bool ok, const std::string& what) {
    ++g_checks;
    if (!ok) fail(what);
}

// ---- loading -----------------------------------------------------------

struct Library {
#if defined(_WIN32)
    HMODULE handle = nullptr;
#else
    void* handle = nullptr;
#endif
    void* byName[14] = {};
};

void* findByName(const Library& lib, const char* name) {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(lib.handle, name));
#else
    return dlsym(lib.handle, name);
#endif
}

bool openLibrary(const char* path, Library& lib) {
#if defined(_WIN32)
    lib.handle = LoadLibraryA(path);
    if (!lib.handle) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", path, static_cast<unsigned long>(GetLastError()));
        return false;
    }
#else
    lib.handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!lib.handle) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        return false;
    }
#endif
    for (int i = 0; i < 14; ++i) {
        lib.byName[i] = findByName(lib, kExportNames[i]);
        if (!lib.byName[i]) {
            std::fprintf(stderr, "entry point %s not found in %s\n", kExportNames[i], path);
            return false;
        }
    }
    return true;
}

template <typename Fn>
Fn entry(const Library& lib, int ordinal) {
    return reinterpret_cast<Fn>(lib.byName[ordinal - 1]);
}

// ---- the host's floating-point control words -----------------------------

#if defined(__i386__) || defined(__x86_64__)
constexpr bool kHaveControlWords = true;

std::uint16_t readX87ControlWord() {
    std::uint16_t cw;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}
std::uint16_t readX87StatusWord() {
    std::uint16_t sw;
    asm volatile("fnstsw %0" : "=m"(sw));
    return sw;
}
std::uint32_t readMxcsr() {
    std::uint32_t v;
    asm volatile("stmxcsr %0" : "=m"(v));
    return v;
}
void writeControlWords(std::uint16_t x87, std::uint32_t mxcsr) {
    asm volatile("fnclex\n\tfldcw %0" : : "m"(x87) : "memory");
    asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
}
#else
constexpr bool kHaveControlWords = false;
std::uint16_t readX87ControlWord() { return 0; }
std::uint16_t readX87StatusWord() { return 0; }
std::uint32_t readMxcsr() { return 0; }
void writeControlWords(std::uint16_t, std::uint32_t) {}
#endif

// A hostile host: invalid, denormal, divide-by-zero, overflow and
// underflow unmasked (only inexact masked: nothing could compute without
// it), rounding toward zero at 24-bit precision on the x87; on SSE the
// same exceptions unmasked, rounding up, flush to zero and
// denormals-are-zero.
constexpr std::uint16_t kHostileX87 = 0x0C00 | 0x0040 | 0x0020;  // bit 6 is reserved and reads as 1
constexpr std::uint32_t kHostileMxcsr = 0x4000 | 0x8000 | 0x0040 | 0x1000;
// The usual defaults of a process.
#if defined(_WIN32)
constexpr std::uint16_t kDefaultX87 = 0x027F;
#else
constexpr std::uint16_t kDefaultX87 = 0x037F;
#endif
constexpr std::uint32_t kDefaultMxcsr = 0x1F80;

constexpr std::uint32_t kMxcsrControlBits = 0xFFC0;
constexpr std::uint32_t kMxcsrFlagBits = 0x003F;
constexpr std::uint16_t kX87FlagBits = 0x007F;  // six exception flags and the stack fault

[[noreturn]] void onFloatingPointException(const char* what) {
    std::fprintf(stderr, "FAIL: floating-point exception raised: %s\n", what);
    std::fflush(stderr);
    std::_Exit(3);
}

#if defined(_WIN32)
LONG CALLBACK floatingPointHandler(EXCEPTION_POINTERS* info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    switch (code) {
        case EXCEPTION_FLT_DENORMAL_OPERAND: onFloatingPointException("denormal operand");
        case EXCEPTION_FLT_DIVIDE_BY_ZERO: onFloatingPointException("divide by zero");
        case EXCEPTION_FLT_INEXACT_RESULT: onFloatingPointException("inexact result");
        case EXCEPTION_FLT_INVALID_OPERATION: onFloatingPointException("invalid operation");
        case EXCEPTION_FLT_OVERFLOW: onFloatingPointException("overflow");
        case EXCEPTION_FLT_STACK_CHECK: onFloatingPointException("x87 stack check");
        case EXCEPTION_FLT_UNDERFLOW: onFloatingPointException("underflow");
        case 0xC00002B4: onFloatingPointException("multiple SSE faults");
        case 0xC00002B5: onFloatingPointException("multiple SSE traps");
        default: return EXCEPTION_CONTINUE_SEARCH;
    }
}
void installFloatingPointHandler() { AddVectoredExceptionHandler(1, floatingPointHandler); }
#else
void floatingPointSignal(int) { onFloatingPointException("SIGFPE"); }
void installFloatingPointHandler() { std::signal(SIGFPE, floatingPointSignal); }
#endif

// ---- calling convention ------------------------------------------------

#if defined(_WIN32) && defined(__i386__)
// Calls fn with the given bytes as its stack arguments, laid out exactly
// as a caller pushes them, and returns how many bytes the callee removed
// (0 for the C calling convention, the argument size for stdcall).
int calleeRemovedBytes(const void* fn, const void* args, std::uint32_t bytes) {
    std::uintptr_t target = reinterpret_cast<std::uintptr_t>(fn);
    asm volatile(
        "movl %%esp, %%ebx\n\t"
        "subl %%ecx, %%esp\n\t"
        "andl $-16, %%esp\n\t"
        "movl %%esp, %%edi\n\t"
        "cld\n\t"
        "rep movsb\n\t"
        "movl %%esp, %%edi\n\t"
        "call *%%eax\n\t"
        "movl %%esp, %%eax\n\t"
        "subl %%edi, %%eax\n\t"
        "movl %%ebx, %%esp\n\t"
        : "+a"(target), "+S"(args), "+c"(bytes)
        :
        : "ebx", "edx", "edi", "memory", "cc", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7");
    return static_cast<int>(target);
}
#endif

// ---- checks --------------------------------------------------------------

std::string fieldText(const char* text) {
    std::string s(kField, ' ');
    std::memcpy(s.data(), text, std::strlen(text));
    s[std::strlen(text)] = '\0';
    return s;
}

// An 80-byte field as written: text, NUL, blanks, and the guard zone behind
// it untouched.
void expectField(const unsigned char* buffer, const char* text, const std::string& what) {
    const std::string expected = fieldText(text);
    expect(std::memcmp(buffer, expected.data(), kField) == 0, what + ": field is not \"" + text + "\", NUL, blanks");
    bool guardIntact = true;
    for (int i = kField; i < kBuffer; ++i) guardIntact = guardIntact && buffer[i] == kFill;
    expect(guardIntact, what + ": wrote past the 80-byte field");
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string str(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

void checkEntryPoints(const Library& lib) {
#if defined(_WIN32)
    for (int ordinal = 1; ordinal <= 14; ++ordinal) {
        void* byOrdinal =
            reinterpret_cast<void*>(GetProcAddress(lib.handle, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal))));
        expect(byOrdinal == lib.byName[ordinal - 1],
               std::string("ordinal ") + std::to_string(ordinal) + " is not " + kExportNames[ordinal - 1]);
    }
    expect(GetProcAddress(lib.handle, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(15))) == nullptr,
           "ordinal 15 exists");
#endif
    // No two names share an address: each is its own function.
    for (int i = 0; i < 14; ++i)
        for (int j = i + 1; j < 14; ++j)
            expect(lib.byName[i] != lib.byName[j], std::string(kExportNames[i]) + " and " + kExportNames[j] +
                                                       " are the same address");
    // Decorated names must not be what the library exports.
    expect(findByName(lib, "_EL_InitDll") == nullptr && findByName(lib, "EL_SetActiveLayerFullModel@80") == nullptr &&
               findByName(lib, "_EL_GetRealSpaceSolution@12") == nullptr,
           "a decorated name is exported");
}

void checkCatalogue(const Library& lib) {
    unsigned char a[kBuffer], b[kBuffer];

    std::memset(a, kFill, sizeof a);
    entry<TextOutFn>(lib, 4)(reinterpret_cast<char*>(a));
    expectField(a, "Quenlor", "EL_GetModelName");

    const std::int32_t untouched = -7777;
    std::int32_t n = untouched;
    entry<IntOutFn>(lib, 6)(&n);
    expect(n == 12, "EL_GetNumberOfParameters wrote " + std::to_string(n));

    const struct {
        int ordinal;
        const char* name;
        std::int32_t value;
    } flags[] = {{1, "EL_CDImplementedYet", 1}, {12, "EL_SkinImplementedYet", 1}, {13, "EL_SolutionType", 1},
                 {14, "EL_Support2P", 0}};
    for (const auto& f : flags) {
        std::int32_t v = untouched;
        entry<IntOutFn>(lib, f.ordinal)(&v);
        expect(v == f.value, std::string(f.name) + " wrote " + std::to_string(v));
    }

    for (int index = 1; index <= 12; ++index) {
        const ExpectedEntry& e = kExpectedCatalogue[index - 1];
        const std::string at = " for index " + std::to_string(index);

        std::memset(a, kFill, sizeof a);
        std::memset(b, kFill, sizeof b);
        std::int32_t mainInfo = untouched;
        entry<MainInfoFn>(lib, 3)(index, reinterpret_cast<char*>(a), reinterpret_cast<char*>(b), &mainInfo);
        expectField(a, e.longName, "long name" + at);
        expectField(b, e.shortName, "short name" + at);
        expect(mainInfo == 0, "main-info flag" + at);

        double minimum = -1, maximum = -1, defaultValue = -1;
        std::int32_t unitCode = untouched, realInfo = untouched;
        std::memset(a, kFill, sizeof a);
        entry<RealInfoFn>(lib, 7)(index, &minimum, &maximum, &defaultValue, &unitCode, reinterpret_cast<char*>(a),
                                  &realInfo);
        expect(sameBits(minimum, e.minimum), "minimum" + at + " is " + str(minimum) + ", not " + str(e.minimum));
        expect(sameBits(maximum, e.maximum), "maximum" + at + " is " + str(maximum) + ", not " + str(e.maximum));
        expect(sameBits(defaultValue, e.defaultValue),
               "default" + at + " is " + str(defaultValue) + ", not " + str(e.defaultValue));
        expect(unitCode == e.unitCode, "unit code" + at + " is " + std::to_string(unitCode));
        expectField(a, " ", "label" + at);
        expect(realInfo == 0, "real-info flag" + at);

        std::int32_t enums = untouched, enumDefault = untouched;
        entry<IndexIntOutFn>(lib, 5)(index, &enums);
        entry<IndexIntOutFn>(lib, 2)(index, &enumDefault);
        expect(enums == 0, "enumeration count" + at);
        expect(enumDefault == 0, "default enumeration index" + at);
    }
    entry<NoArgsFn>(lib, 9)();  // EL_InitDll: nothing to see, it must only return
}

void checkCallingConvention(const Library& lib) {
#if defined(_WIN32) && defined(__i386__)
    // The solution request: the 8-byte time, then the 4-byte pointer. Before
    // any parameter set the lookup has no table and writes its held result 0.
    double result = -1.0;
    unsigned char args12[12];
    const double time = 100.0;
    double* resultPointer = &result;
    std::memcpy(args12, &time, 8);
    std::memcpy(args12 + 8, &resultPointer, 4);
    const int removed12 = calleeRemovedBytes(lib.byName[7], args12, sizeof args12);
    expect(removed12 == 0, "EL_GetRealSpaceSolution removed " + std::to_string(removed12) + " argument bytes");
    expect(result == 0.0, "EL_GetRealSpaceSolution before any run wrote " + str(result));

    // The parameter hand-over: the ignored 32-bit value, the pointer to the
    // twelve parameters, nine doubles: 80 bytes. With no data files in the
    // (empty) directory nothing runs; it must only return with the stack
    // as the caller left it.
    std::vector<double> parameters(12, 1.0);
    const double* parameterPointer = parameters.data();
    unsigned char args80[80];
    const std::int32_t ignored = 0x5A5A5A5A;
    std::memcpy(args80, &ignored, 4);
    std::memcpy(args80 + 4, &parameterPointer, 4);
    for (int i = 0; i < 9; ++i) {
        const double v = 1.0 + i;
        std::memcpy(args80 + 8 + 8 * i, &v, 8);
    }
    const char noDirectory[] = "Z:\\quenlor-no-such-directory\\";
    entry<SetPathFn>(lib, 11)(noDirectory, static_cast<std::int32_t>(std::strlen(noDirectory)));
    const int removed80 = calleeRemovedBytes(lib.byName[9], args80, sizeof args80);
    expect(removed80 == 0, "EL_SetActiveLayerFullModel removed " + std::to_string(removed80) + " argument bytes");
    // Stored without a run, the layer values now govern the time conversion:
    // still no table, so the held result 0 again.
    result = -1.0;
    entry<SolutionFn>(lib, 8)(time, &result);
    expect(result == 0.0, "EL_GetRealSpaceSolution after a hand-over without data wrote " + str(result));
#else
    (void)lib;
#endif
}

// ---- the default case ------------------------------------------------------

std::vector<double> defaultParameters(const Library& lib) {
    std::vector<double> p(12);
    for (int index = 1; index <= 12; ++index) {
        double minimum, maximum;
        std::int32_t unitCode, realInfo;
        char label[kField];
        entry<RealInfoFn>(lib, 7)(index, &minimum, &maximum, &p[index - 1], &unitCode, label, &realInfo);
    }
    return p;
}

void handOver(const Library& lib, std::int32_t ignored, const std::vector<double>& p, const double (&layer)[9]) {
    entry<SetLayerFn>(lib, 10)(ignored, p.data(), layer[0], layer[1], layer[2], layer[3], layer[4], layer[5], layer[6],
                               layer[7], layer[8]);
}

void setDirectory(const Library& lib, const std::string& directory) {
    entry<SetPathFn>(lib, 11)(directory.c_str(), static_cast<std::int32_t>(directory.size()));
}

// Host times (based on the well radius): ten per decade from 1e-4 to 9e9,
// wide enough to cover the table whatever the control file's time range
// (times beyond the last row give the held result). Each is a product of
// two exact literals, so every build computes the same doubles; a power
// function would not (runtime libraries differ in the last bit).
std::vector<double> hostTimes() {
    constexpr double kDecades[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    constexpr double kSteps[] = {1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0};
    std::vector<double> t;
    for (double decade : kDecades)
        for (double step : kSteps) t.push_back(step * decade);
    return t;
}

std::vector<double> solutionAt(const Library& lib, const std::vector<double>& times) {
    std::vector<double> p;
    for (double t : times) {
        double v = std::nan("");
        entry<SolutionFn>(lib, 8)(t, &v);
        p.push_back(v);
    }
    return p;
}

// The default case run; the first hand-over argument is never looked at,
// so two different values of it must give the same curve.
std::vector<double> runDefaultCase(const Library& lib, const std::string& directory, std::int32_t ignored) {
    setDirectory(lib, directory);
    handOver(lib, ignored, defaultParameters(lib), quenlor::kDefaultLayerValues);
    return solutionAt(lib, hostTimes());
}

// The curve must say something: finite, and more than a handful of
// distinct positive pressures (a run that did not happen leaves zeros).
void expectLiveCurve(const std::vector<double>& p, const std::string& what) {
    int positive = 0, finite = 0;
    std::vector<double> distinct;
    for (double v : p) {
        if (std::isfinite(v)) ++finite;
        if (v > 0.0) ++positive;
        bool seen = false;
        for (double d : distinct) seen = seen || sameBits(d, v);
        if (!seen) distinct.push_back(v);
    }
    expect(finite == static_cast<int>(p.size()), what + ": " + std::to_string(p.size() - finite) + " values not finite");
    expect(positive >= 10 && distinct.size() >= 10,
           what + ": only " + std::to_string(positive) + " positive and " + std::to_string(distinct.size()) +
               " distinct pressures; did the run happen?");
}

int writeCurve(const std::vector<double>& t, const std::vector<double>& p, const char* path) {
    std::FILE* out = std::fopen(path, "w");
    if (!out) {
        std::fprintf(stderr, "cannot write %s: %s\n", path, std::strerror(errno));
        return 2;
    }
    for (std::size_t i = 0; i < t.size(); ++i) std::fprintf(out, "%a %a\n", t[i], p[i]);
    std::fclose(out);
    return 0;
}

// ---- modes -------------------------------------------------------------------

int report(const char* mode) {
    std::printf("quenlor_host %s: %d checks, %d failed\n", mode, g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}

int modeCheck(const char* path) {
    Library lib;
    if (!openLibrary(path, lib)) return 2;
    checkEntryPoints(lib);
    checkCallingConvention(lib);
    checkCatalogue(lib);
    return report("check");
}

int modeCurve(const char* path, const char* directory, const char* outPath) {
    Library lib;
    if (!openLibrary(path, lib)) return 2;
    const std::vector<double> p = runDefaultCase(lib, directory, 0);
    expectLiveCurve(p, "default-case curve");
    const std::vector<double> again = runDefaultCase(lib, directory, -123456789);
    bool same = p.size() == again.size();
    for (std::size_t i = 0; same && i < p.size(); ++i) same = sameBits(p[i], again[i]);
    expect(same, "the first hand-over argument changed the curve");
    if (int rc = writeCurve(hostTimes(), p, outPath)) return rc;
    return report("curve");
}

// Calls fn in the hostile environment and checks afterwards that the
// control words are the hostile ones still and that no exception flag
// the model raised leaked out.
template <typename Fn>
void underHostileHost(const std::string& what, Fn fn) {
    writeControlWords(kHostileX87, kHostileMxcsr);
    fn();
    const std::uint16_t cw = readX87ControlWord();
    const std::uint16_t sw = readX87StatusWord();
    const std::uint32_t mxcsr = readMxcsr();
    writeControlWords(kDefaultX87, kDefaultMxcsr);
    char text[160];
    std::snprintf(text, sizeof text, "%s: x87 control word %#06x (host set %#06x), MXCSR %#06x (host set %#06x)",
                  what.c_str(), cw, kHostileX87, mxcsr, kHostileMxcsr);
    expect(cw == kHostileX87 && (mxcsr & kMxcsrControlBits) == kHostileMxcsr, text);
    // The host had cleared its flags; the guard hands them back so. An
    // inexact flag of the host's own code between the calls is allowed.
    std::snprintf(text, sizeof text, "%s: exception flags leaked to the host (x87 status %#06x, MXCSR %#06x)",
                  what.c_str(), sw, mxcsr);
    expect((sw & kX87FlagBits & ~0x20) == 0 && (mxcsr & kMxcsrFlagBits & ~0x20u) == 0, text);
}

int modeFloatingPoint(const char* path, const char* directory) {
    if (!kHaveControlWords) {
        std::printf("quenlor_host fpenv: skipped: no x86 control words on this machine\n");
        return 0;
    }
    Library lib;
    if (!openLibrary(path, lib)) return 2;
    installFloatingPointHandler();

    // The reference: the default case under the default environment.
    writeControlWords(kDefaultX87, kDefaultMxcsr);
    const std::vector<double> reference = runDefaultCase(lib, directory, 0);
    expectLiveCurve(reference, "default-case curve");

    // Catalogue calls, the directory and a good run under the hostile host:
    // the curve must be the same to the last bit.
    std::vector<double> hostile;
    underHostileHost("catalogue", [&] { checkCatalogue(lib); });
    underHostileHost("EL_SetDllPath", [&] { setDirectory(lib, directory); });
    underHostileHost("default-case run", [&] {
        handOver(lib, 0, defaultParameters(lib), quenlor::kDefaultLayerValues);
    });
    const std::vector<double> times = hostTimes();
    for (std::size_t i = 0; i < times.size(); ++i) {
        double v = std::nan("");
        underHostileHost("solution request", [&] { entry<SolutionFn>(lib, 8)(times[i], &v); });
        hostile.push_back(v);
    }
    bool same = hostile.size() == reference.size();
    for (std::size_t i = 0; same && i < hostile.size(); ++i) same = sameBits(hostile[i], reference[i]);
    expect(same, "the curve under the host's rounding and precision differs from the default-environment curve");

    // Values that produce infinities and NaNs inside. Each comes with the
    // operation that surely meets it:
    //   porosity 0:               the effective compressibility divides by
    //                             E*phi = 0 (divide by zero);
    //   porosity 0, Poisson 0.5:  3(1 - 2*0.5)/0 = 0/0 (invalid);
    //   half length 0:            the solution request scales time by
    //                             rw^2/Xf^2 (divide by zero, 0/0 at time 0);
    //   permeability 0:           every time of the run collapses to 0;
    //   Young modulus 0, FcD 0:   the storage terms and 2/FcD divide by 0.
    // The porosity cases go through the intake only (no data directory):
    // a whole run on an infinite compressibility takes the better part of
    // a minute natively, far too long under emulation.
    const std::vector<double> defaults = defaultParameters(lib);
    struct Bad {
        const char* what;
        bool run;
        int parameter;  // 1-based catalogue index, 0 for none
        double parameterValue;
        int parameter2;
        double parameter2Value;
        int layerValue;  // 1-based layer value, 0 for none
        double layerValueValue;
    };
    const Bad cases[] = {
        {"porosity 0", false, 0, 0.0, 0, 0.0, 8, 0.0},
        {"porosity 0 and Poisson ratio 0.5", false, 12, 0.5, 0, 0.0, 8, 0.0},
        {"half length 0", true, 3, 0.0, 0, 0.0, 0, 0.0},
        {"permeability 0", true, 0, 0.0, 0, 0.0, 1, 0.0},
        {"Young modulus 0 and conductivity 0", true, 11, 0.0, 6, 0.0, 0, 0.0},
    };
#if defined(_WIN32)
    const std::string noData = "C:\\quenlor-no-such-directory\\";
#else
    const std::string noData = "/quenlor-no-such-directory/";
#endif
    for (const Bad& c : cases) {
        std::vector<double> p = defaults;
        double layer[9];
        std::memcpy(layer, quenlor::kDefaultLayerValues, sizeof layer);
        if (c.parameter) p[c.parameter - 1] = c.parameterValue;
        if (c.parameter2) p[c.parameter2 - 1] = c.parameter2Value;
        if (c.layerValue) layer[c.layerValue - 1] = c.layerValueValue;
        setDirectory(lib, c.run ? std::string(directory) : noData);
        const auto start = std::chrono::steady_clock::now();
        underHostileHost(std::string(c.what) + ": hand-over", [&] { handOver(lib, 0, p, layer); });
        std::printf("  %s: hand-over%s took %.2f s\n", c.what, c.run ? " and run" : "",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        for (double t : {0.0, 1.0e3, 1.0e6}) {
            double v = 0.0;
            underHostileHost(std::string(c.what) + ": solution request", [&] { entry<SolutionFn>(lib, 8)(t, &v); });
        }
    }
    return report("fpenv");
}

int modeCanary() {
    if (!kHaveControlWords) {
        std::printf("quenlor_host fpe-canary: skipped: no x86 control words on this machine\n");
        return 3;
    }
    installFloatingPointHandler();
    writeControlWords(kHostileX87, kHostileMxcsr);
    volatile double zero = 0.0;
    volatile double result = 1.0 / zero;
    writeControlWords(kDefaultX87, kDefaultMxcsr);
    std::printf("quenlor_host fpe-canary: 1/0 gave %g and raised nothing\n", static_cast<double>(result));
    return 0;
}

bool readCurve(const char* path, std::vector<double>& t, std::vector<double>& p) {
    std::FILE* in = std::fopen(path, "r");
    if (!in) {
        std::fprintf(stderr, "cannot read %s: %s\n", path, std::strerror(errno));
        return false;
    }
    char line[256];
    while (std::fgets(line, sizeof line, in)) {
        char* end = nullptr;
        const double a = std::strtod(line, &end);
        const double b = std::strtod(end, &end);
        t.push_back(a);
        p.push_back(b);
    }
    std::fclose(in);
    return true;
}

int modeCompare(const char* pathA, const char* pathB) {
    std::vector<double> ta, pa, tb, pb;
    if (!readCurve(pathA, ta, pa) || !readCurve(pathB, tb, pb)) return 2;
    expect(!ta.empty() && ta.size() == tb.size(), "the curves have " + std::to_string(ta.size()) + " and " +
                                                      std::to_string(tb.size()) + " points");
    constexpr double kRelative = 1e-12;
    int identical = 0;
    double worst = 0.0;
    for (std::size_t i = 0; i < ta.size() && i < tb.size(); ++i) {
        expect(sameBits(ta[i], tb[i]), "time " + str(ta[i]) + " against " + str(tb[i]));
        if (sameBits(pa[i], pb[i])) {
            ++identical;
            continue;
        }
        const double scale = std::max(std::fabs(pa[i]), std::fabs(pb[i]));
        const double relative = std::fabs(pa[i] - pb[i]) / scale;
        worst = std::max(worst, relative);
        expect(relative <= kRelative,
               "at host time " + str(ta[i]) + ": " + str(pa[i]) + " against " + str(pb[i]));
    }
    std::printf("quenlor_host compare: %d of %zu pressures identical, largest relative difference %.3g\n", identical,
                ta.size(), worst);
    return report("compare");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "check" && argc == 3) return modeCheck(argv[2]);
    if (mode == "curve" && argc == 5) return modeCurve(argv[2], argv[3], argv[4]);
    if (mode == "fpenv" && argc == 4) return modeFloatingPoint(argv[2], argv[3]);
    if (mode == "fpe-canary" && argc == 2) return modeCanary();
    if (mode == "compare" && argc == 4) return modeCompare(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: quenlor_host check LIBRARY | curve LIBRARY DATADIR OUTFILE | fpenv LIBRARY DATADIR |"
                 " fpe-canary | compare FILE_A FILE_B\n");
    return 2;
}
