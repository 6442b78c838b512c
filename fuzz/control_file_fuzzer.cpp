// Fuzz target: the control-file reader on arbitrary bytes.
//
// After every input:
// - the reader returns, without a sanitizer report;
// - it succeeds exactly when the file has forty lines and every one of the
//   forty value fields reads by the reference notations of fuzz_support.h,
//   and it reports at least one problem exactly when it fails;
// - on success each field holds, bit for bit, the reference reading of
//   its own line's value columns (so no record is read from another line);
// - on failure the caller's record is left exactly as it was.
//
// Lines: the text up to each LF (the last line needs none); a line keeps
// its first 255 characters, trailing CRs are dropped, columns beyond its
// end read as blanks.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/control_file.h"
#include "fuzz_support.h"

namespace {

using namespace quenlor;
using quenlor::fuzz::Reading;

class CountingSink final : public ProblemSink {
public:
    void report(const FileProblem& problem) override {
        QUENLOR_FUZZ_CHECK(std::memchr(problem.message, '\0', sizeof problem.message) != nullptr,
                           "unterminated message");
        QUENLOR_FUZZ_CHECK(problem.line >= 0 && problem.line <= kControlRecordCount, "line %d", problem.line);
        ++count;
    }
    int count = 0;
};

std::vector<std::string> splitLines(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> lines;
    std::string current;
    bool open = false;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') {
            lines.push_back(current);
            current.clear();
            open = false;
        } else {
            current += c;
            open = true;
        }
    }
    if (open) lines.push_back(current);
    for (std::string& line : lines) {
        if (line.size() > 255) line.resize(255);
        while (!line.empty() && line.back() == '\r') line.pop_back();
    }
    return lines;
}

// A record no file can produce by accident.
ControlRecord sentinelRecord() {
    ControlRecord r{};
    for (int n = 1; n <= kControlRecordCount; ++n) {
        const ControlFieldInfo& info = controlField(n);
        if (info.kind == ControlFieldKind::integer)
            r.*info.integer = -777000 - n;
        else
            r.*info.real = -777.25 - n;
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = quenlor::fuzz::scratchDirectory() + kControlFileName;
    quenlor::fuzz::writeFile(path, data, size);

    const ControlRecord before = sentinelRecord();
    ControlRecord record = before;
    CountingSink sink;
    const bool ok = readControlFile(path.c_str(), record, sink);

    // The reference reading, line by line.
    const std::vector<std::string> lines = splitLines(data, size);
    bool expectOk = lines.size() >= static_cast<std::size_t>(kControlRecordCount);
    ControlRecord expected = before;
    for (int n = 1; expectOk && n <= kControlRecordCount; ++n) {
        const ControlFieldInfo& info = controlField(n);
        const int first = controlValueFirstColumn();
        const int last = controlValueLastColumn(n);
        std::string field;
        for (int column = first; column <= last; ++column) {
            const std::size_t index = static_cast<std::size_t>(column - 1);
            field += index < lines[n - 1].size() ? lines[n - 1][index] : ' ';
        }
        if (info.kind == ControlFieldKind::integer) {
            std::int32_t v = 0;
            if (quenlor::fuzz::referenceFixedInteger(field, v) == Reading::value)
                expected.*info.integer = v;
            else
                expectOk = false;
        } else {
            double v = 0.0;
            const int implied = info.kind == ControlFieldKind::fixed10 ? 10 : 6;
            if (quenlor::fuzz::referenceFixedReal(field, implied, v) == Reading::value)
                expected.*info.real = v;
            else
                expectOk = false;
        }
    }

    QUENLOR_FUZZ_CHECK(ok == expectOk, "reader %s, reference %s (%zu lines)", ok ? "accepts" : "rejects",
                       expectOk ? "accepts" : "rejects", lines.size());
    QUENLOR_FUZZ_CHECK((sink.count == 0) == ok, "%d problems reported, result %d", sink.count, ok);
    const ControlRecord& want = ok ? expected : before;
    for (int n = 1; n <= kControlRecordCount; ++n) {
        const ControlFieldInfo& info = controlField(n);
        if (info.kind == ControlFieldKind::integer) {
            QUENLOR_FUZZ_CHECK(record.*info.integer == want.*info.integer, "record %d: %d, expected %d", n,
                               record.*info.integer, want.*info.integer);
        } else {
            QUENLOR_FUZZ_CHECK(quenlor::fuzz::sameBits(record.*info.real, want.*info.real),
                               "record %d: %.17g, expected %.17g", n, record.*info.real, want.*info.real);
        }
    }
    return 0;
}
