// The floating-point environment the model computes in: set up on entry
// to every exported function, the host's own restored on the way out.
//
// A host owns the x87 control word and the MXCSR of its thread and may
// have changed them: exceptions unmasked (so that an invalid operation or
// a division by zero traps and stops the process), another rounding mode,
// a reduced x87 precision (24 bits is common in graphics hosts), flush to
// zero. The model meets infinities and NaNs in its normal course (values
// the host never validated, guarded divisions, out-of-range parameters),
// and its curves must not depend on the host's settings. FloatingPointGuard
// saves the x87 environment (control word and status flags) and the MXCSR,
// then computes with every exception masked, round to nearest, 53-bit x87
// precision, no flush to zero, no denormals-are-zero. On leaving it
// restores exactly what the host had, status flags included, so the flags
// the model raised never reach the host and no pending x87 exception is
// left behind to trap at the host's next floating-point instruction.
//
// The arithmetic itself is SSE2 on both x86 targets; the x87 settings
// matter for the double results that 32-bit functions return on the x87
// stack and for runtime-library functions that use the x87 unit.
// Implemented for x86 and x86-64 with GCC or Clang; elsewhere a no-op.
#pragma once

#include <cstdint>

namespace quenlor {

// x87 control word: all six exceptions masked (bits 0-5), 53-bit precision
// (bits 8-9 = 10), round to nearest (bits 10-11 = 00).
inline constexpr std::uint16_t kModelX87ControlWord = 0x027F;
// MXCSR: all six exceptions masked (bits 7-12), round to nearest
// (bits 13-14 = 00), no flush to zero (bit 15), no denormals-are-zero (bit 6).
inline constexpr std::uint32_t kModelMxcsr = 0x1F80;

#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))

class FloatingPointGuard {
public:
    FloatingPointGuard() {
        // fnstenv stores control word, status word, tags and the last
        // instruction pointers (28 bytes in 32-bit form), then masks all
        // x87 exceptions; fnclex drops the host's pending flags so the new
        // control word cannot trap on them.
        asm volatile("fnstenv %0" : "=m"(x87Environment_) : : "memory");
        asm volatile("stmxcsr %0" : "=m"(hostMxcsr_) : : "memory");
        const std::uint16_t controlWord = kModelX87ControlWord;
        const std::uint32_t mxcsr = kModelMxcsr;
        asm volatile("fnclex\n\tfldcw %0" : : "m"(controlWord) : "memory");
        asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
    }

    ~FloatingPointGuard() {
        // fldenv replaces the model's status flags with the host's saved
        // ones along with the control word.
        asm volatile("ldmxcsr %0" : : "m"(hostMxcsr_) : "memory");
        asm volatile("fldenv %0" : : "m"(x87Environment_) : "memory");
    }

    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

private:
    struct X87Environment {
        std::uint32_t words[7];
    };
    X87Environment x87Environment_;
    std::uint32_t hostMxcsr_;
};

#else

class FloatingPointGuard {
public:
    FloatingPointGuard() {}
    ~FloatingPointGuard() {}
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;
};

#endif

}  // namespace quenlor
