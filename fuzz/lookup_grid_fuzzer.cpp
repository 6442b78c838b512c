// Fuzz target: the lookup-grid reader and the grid interpolation.
//
// The file is the input's bytes followed by a line end and a well-formed
// grid of 201 records of 201 ones, so that short inputs still reach a
// complete grid: the input's text supplies the first records (or part of
// one), the appended records the rest, and whatever follows record 201
// is not read.
//
// After every input:
// - the reader returns, without a sanitizer report;
// - it succeeds exactly when a reference reading of the same text
//   succeeds (records start on a new line; values separated by blanks,
//   tabs, commas, CRs or LFs; the rest of the line after a record's 201st
//   value skipped; every token a number in the free notation of
//   fuzz_support.h), and it reports a problem exactly when it fails;
// - on success every value equals the reference value bit for bit;
// - the interpolation returns for arguments taken from the input,
//   NaN, infinities and negatives included, reading only inside the table.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "datafiles/lookup_grid.h"
#include "fuzz_support.h"

namespace {

using namespace quenlor;
using quenlor::fuzz::Reading;

class CountingSink final : public ProblemSink {
public:
    void report(const FileProblem& problem) override {
        QUENLOR_FUZZ_CHECK(std::memchr(problem.message, '\0', sizeof problem.message) != nullptr,
                           "unterminated message");
        ++count;
    }
    int count = 0;
};

const std::string& filler() {
    static const std::string text = [] {
        std::string line;
        for (int b = 1; b <= kGridSize; ++b) line += b == 1 ? "1" : " 1";
        std::string all = "\n";
        for (int a = 1; a <= kGridSize; ++a) all += line + "\n";
        return all;
    }();
    return text;
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

// The reference reading of the whole text into grid; false at the first
// token that is not a number or when the text ends early.
bool referenceRead(const std::string& text, LookupGrid& grid) {
    std::size_t pos = 0;
    for (int a = 1; a <= kGridSize; ++a) {
        for (int b = 1; b <= kGridSize; ++b) {
            while (pos < text.size() && isSeparator(text[pos])) ++pos;
            if (pos == text.size()) return false;
            const std::size_t start = pos;
            while (pos < text.size() && !isSeparator(text[pos])) ++pos;
            double v = 0.0;
            if (quenlor::fuzz::referenceFreeReal(std::string_view(text).substr(start, pos - start), v) !=
                Reading::value)
                return false;
            grid.at(a, b) = v;
        }
        const std::size_t end = text.find('\n', pos);
        pos = end == std::string::npos ? text.size() : end;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = quenlor::fuzz::scratchDirectory() + kGridFileName;
    static const auto grid = std::make_unique<LookupGrid>();
    static const auto reference = std::make_unique<LookupGrid>();

    std::string text(reinterpret_cast<const char*>(data), size);
    text += filler();
    quenlor::fuzz::writeFile(path, text.data(), text.size());

    CountingSink sink;
    const bool ok = readLookupGrid(path.c_str(), *grid, sink);
    const bool expectOk = referenceRead(text, *reference);
    QUENLOR_FUZZ_CHECK(ok == expectOk, "reader %s, reference %s", ok ? "accepts" : "rejects",
                       expectOk ? "accepts" : "rejects");
    QUENLOR_FUZZ_CHECK((sink.count == 0) == ok, "%d problems reported, result %d", sink.count, ok);
    if (!ok) return 0;
    for (int a = 1; a <= kGridSize; ++a)
        for (int b = 1; b <= kGridSize; ++b)
            QUENLOR_FUZZ_CHECK(quenlor::fuzz::sameBits(grid->at(a, b), reference->at(a, b)),
                               "T(%d, %d) = %.17g, expected %.17g", a, b, grid->at(a, b), reference->at(a, b));

    // Interpolation at arguments from the input's first bytes, and at the
    // arguments no grid position can hold.
    const double special[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), -1.0, 0.0, 5.0, 6.0, 1e308};
    for (double x : special)
        for (double y : special) (void)interpolateLookupGrid(*grid, x, y);
    for (std::size_t i = 0; i + 16 <= size && i < 64; i += 16) {
        double x, y;
        std::memcpy(&x, data + i, sizeof x);
        std::memcpy(&y, data + i + 8, sizeof y);
        (void)interpolateLookupGrid(*grid, x, y);
    }
    return 0;
}
