// Helpers shared by the fuzz targets: a scratch directory, file writing,
// invariant checks that stop the fuzzer, and reference readings of the
// data files' number notations written independently of the library's
// readers (plain string handling and the C library's strtod), against
// which the readers' results are compared.
//
// Notations (the readers' documented contract):
// - fixed real field: blanks ignored, all blank is 0; [sign] digits with
//   an optional point; exponent (E|D)[sign]digits or sign digits; without
//   a point the last k digits before the exponent are decimals.
// - fixed integer field: blanks ignored, all blank is 0; [sign] digits;
//   must fit 32 bits.
// - free real token: [sign] digits with an optional point; exponent
//   (E|D)[sign]digits; at most 64 characters.
#pragma once

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

namespace quenlor::fuzz {

// Stops the fuzzer with a message when an invariant fails; libFuzzer then
// keeps the input that broke it.
#define QUENLOR_FUZZ_CHECK(condition, ...)                                   \
    do {                                                                     \
        if (!(condition)) {                                                  \
            std::fprintf(stderr, "invariant failed: %s: ", #condition);      \
            std::fprintf(stderr, __VA_ARGS__);                               \
            std::fprintf(stderr, "\n");                                      \
            std::abort();                                                    \
        }                                                                    \
    } while (0)

// A fresh directory for this process, removed at exit; the text ends in '/'.
inline std::string scratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quenlor-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    static std::string created;
    created = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(created, ignored);
    });
    return pattern + "/";
}

inline void writeFile(const std::string& path, const void* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    QUENLOR_FUZZ_CHECK(f != nullptr, "cannot write %s", path.c_str());
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

inline bool sameBits(double a, double b) {
    std::uint64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

enum class Reading { value, notANumber, outOfRange };

namespace detail {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!isDigit(c)) return false;
    return true;
}

// strtod on "[sign]int.frac e exponent"; out of the double range (an
// infinite result) is outOfRange, an underflow gives its (signed) zero or
// subnormal value as strtod rounds it.
inline Reading convert(const std::string& sign, const std::string& integerDigits, const std::string& fraction,
                       const std::string& exponent, double& v) {
    const std::string text = sign + (integerDigits.empty() ? "0" : integerDigits) + "." + fraction + "e" +
                             (exponent.empty() ? "0" : exponent);
    errno = 0;
    char* end = nullptr;
    const double r = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return Reading::notANumber;
    if (std::isinf(r)) return Reading::outOfRange;
    v = r;
    return Reading::value;
}

// Splits [sign] digits [. digits] [exponent] into its parts.
inline bool splitMantissa(std::string_view s, std::size_t& i, std::string& sign, std::string& integerDigits,
                          std::string& fraction, bool& point) {
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) sign = std::string(1, s[i++]);
    while (i < s.size() && isDigit(s[i])) integerDigits += s[i++];
    point = false;
    if (i < s.size() && s[i] == '.') {
        point = true;
        ++i;
        while (i < s.size() && isDigit(s[i])) fraction += s[i++];
    }
    return !(integerDigits.empty() && fraction.empty());
}

}  // namespace detail

inline Reading referenceFixedReal(std::string_view field, int impliedDecimals, double& v) {
    std::string s;
    for (char c : field)
        if (c != ' ') s += c;
    if (s.empty()) {
        v = 0.0;
        return Reading::value;
    }
    std::size_t i = 0;
    std::string sign, integerDigits, fraction, exponent;
    bool point = false;
    if (!detail::splitMantissa(s, i, sign, integerDigits, fraction, point)) return Reading::notANumber;
    if (i < s.size()) {
        const char m = s[i];
        std::string exponentSign;
        if (m == 'E' || m == 'e' || m == 'D' || m == 'd') {
            ++i;
            if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponentSign = std::string(1, s[i++]);
        } else if (m == '+' || m == '-') {
            exponentSign = std::string(1, m);
            ++i;
        } else {
            return Reading::notANumber;
        }
        const std::string_view digits = std::string_view(s).substr(i);
        if (!detail::allDigits(digits)) return Reading::notANumber;
        exponent = exponentSign + std::string(digits);
    }
    if (!point) {
        std::string all = integerDigits;
        if (static_cast<int>(all.size()) < impliedDecimals)
            all.insert(0, static_cast<std::size_t>(impliedDecimals) - all.size(), '0');
        integerDigits = all.substr(0, all.size() - static_cast<std::size_t>(impliedDecimals));
        fraction = all.substr(all.size() - static_cast<std::size_t>(impliedDecimals));
    }
    return detail::convert(sign, integerDigits, fraction, exponent, v);
}

inline Reading referenceFixedInteger(std::string_view field, std::int32_t& v) {
    std::string s;
    for (char c : field)
        if (c != ' ') s += c;
    if (s.empty()) {
        v = 0;
        return Reading::value;
    }
    std::size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    const std::string_view digits = std::string_view(s).substr(i);
    if (!detail::allDigits(digits)) return Reading::notANumber;
    std::size_t first = 0;
    while (first + 1 < digits.size() && digits[first] == '0') ++first;
    if (digits.size() - first > 11) return Reading::outOfRange;
    const long long magnitude = std::stoll(std::string(digits.substr(first)));
    const long long value = s[0] == '-' ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return Reading::outOfRange;
    v = static_cast<std::int32_t>(value);
    return Reading::value;
}

inline Reading referenceFreeReal(std::string_view token, double& v) {
    if (token.size() > 64) return Reading::notANumber;
    std::size_t i = 0;
    std::string sign, integerDigits, fraction, exponent;
    bool point = false;
    if (!detail::splitMantissa(token, i, sign, integerDigits, fraction, point)) return Reading::notANumber;
    if (i < token.size()) {
        const char m = token[i];
        if (m != 'E' && m != 'e' && m != 'D' && m != 'd') return Reading::notANumber;
        ++i;
        std::string exponentSign;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) exponentSign = std::string(1, token[i++]);
        const std::string_view digits = token.substr(i);
        if (!detail::allDigits(digits)) return Reading::notANumber;
        exponent = exponentSign + std::string(digits);
    }
    return detail::convert(sign, integerDigits, fraction, exponent, v);
}

}  // namespace quenlor::fuzz
