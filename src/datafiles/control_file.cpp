#include "datafiles/control_file.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "datafiles/number_text.h"

namespace quenlor {

namespace {

using K = ControlFieldKind;
using CR = ControlRecord;

#define QUENLOR_REAL(field, kind) {#field, kind, &CR::field, nullptr}
#define QUENLOR_INT(field) {#field, K::integer, nullptr, &CR::field}

const ControlFieldInfo kFields[kControlRecordCount] = {
    QUENLOR_REAL(controlSpare1, K::fixed10),
    QUENLOR_REAL(controlSpare2, K::exponent6),
    QUENLOR_REAL(controlSpare3, K::exponent6),
    QUENLOR_REAL(minInjectionInversionTime, K::fixed10),
    QUENLOR_REAL(minShutInInversionTime, K::fixed10),
    QUENLOR_REAL(controlSpare6, K::fixed10),
    QUENLOR_REAL(controlSpare7, K::fixed10),
    QUENLOR_REAL(gridLowerParameter, K::exponent6),
    QUENLOR_REAL(firstPassStartTime, K::fixed10),
    QUENLOR_REAL(firstPassEndTime, K::fixed10),
    QUENLOR_REAL(gridUpperLimit, K::fixed10),
    QUENLOR_REAL(fractureDiffusivity, K::exponent6),
    QUENLOR_REAL(e1CorrectionWeight, K::fixed10),
    QUENLOR_REAL(controlSpare14, K::fixed10),
    QUENLOR_REAL(controlSpare15, K::fixed10),
    QUENLOR_REAL(injectionDuration, K::fixed10),
    QUENLOR_REAL(controlSpare17, K::fixed10),
    QUENLOR_REAL(linearPassStartTime, K::fixed10),
    QUENLOR_REAL(linearPassEndTime, K::fixed10),
    QUENLOR_REAL(storageProductFactor, K::fixed10),
    QUENLOR_REAL(fractureStorageFactor, K::fixed10),
    QUENLOR_REAL(closedFractureCompliance, K::exponent6),
    QUENLOR_REAL(closureWidthFraction, K::fixed10),
    QUENLOR_REAL(closureReferencePressure, K::fixed10),
    QUENLOR_REAL(previousClosureIndicator, K::fixed10),
    QUENLOR_REAL(closureCrossingTime, K::fixed10),
    QUENLOR_REAL(simulationEndTime, K::exponent6),
    QUENLOR_INT(stehfestTerms),
    QUENLOR_INT(stehfestTermsCached),
    QUENLOR_INT(controlSpare30),
    QUENLOR_INT(passCount),
    QUENLOR_INT(timeStepCount),
    QUENLOR_INT(gridPointCount),
    QUENLOR_INT(timeSpacingMode),
    QUENLOR_INT(falloffPeriods),
    QUENLOR_INT(controlSpare36),
    QUENLOR_INT(stepsPerInjection),
    QUENLOR_INT(quadratureSwitch),
    QUENLOR_INT(closureModel),
    QUENLOR_INT(controlSpare40),
};

#undef QUENLOR_REAL
#undef QUENLOR_INT

constexpr int kValueFirstColumn = 12;
constexpr int kLineBuffer = 256;

void report(ProblemSink& sink, const char* path, int line, int first, int last, const char* format,
            const char* text) {
    FileProblem p{path, line, first, last, {}};
    std::snprintf(p.message, sizeof p.message, format, text);
    sink.report(p);
}

// Reads one line into buffer (at most kLineBuffer-1 characters kept, the
// rest of a longer line consumed). Returns false at end of file. Read
// character by character, so a NUL byte is one more character of the line
// (it makes its field not a number) and never hides the line's end.
bool readLine(std::FILE* file, char (&buffer)[kLineBuffer], int& length) {
    int c = std::fgetc(file);
    if (c == EOF) return false;
    length = 0;
    for (; c != EOF && c != '\n'; c = std::fgetc(file))
        if (length < kLineBuffer - 1) buffer[length++] = static_cast<char>(c);
    while (length > 0 && buffer[length - 1] == '\r') --length;
    return true;
}

}  // namespace

const ControlFieldInfo& controlField(int record) { return kFields[record - 1]; }

int controlValueFirstColumn() { return kValueFirstColumn; }

int controlValueLastColumn(int record) {
    return kFields[record - 1].kind == K::integer ? kValueFirstColumn + 7 : kValueFirstColumn + 19;
}

bool readControlFile(const char* path, ControlRecord& out, ProblemSink& problems) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        report(problems, path, 0, 0, 0, "%s", "cannot be opened for reading");
        return false;
    }
    ControlRecord record = out;
    bool ok = true;
    char line[kLineBuffer];
    for (int n = 1; n <= kControlRecordCount; ++n) {
        int length = 0;
        if (!readLine(file, line, length)) {
            char what[80];
            std::snprintf(what, sizeof what, "%d", n - 1);
            report(problems, path, n, 0, 0, "the file ends after %s lines; the control file needs 40 records",
                   what);
            ok = false;
            break;
        }
        const ControlFieldInfo& info = kFields[n - 1];
        const int first = kValueFirstColumn;
        const int last = controlValueLastColumn(n);
        char field[21];
        const int width = last - first + 1;
        for (int i = 0; i < width; ++i) {
            const int index = first - 1 + i;
            field[i] = index < length ? line[index] : ' ';
        }
        const std::string_view text(field, width);
        NumberError error;
        if (info.kind == K::integer) {
            std::int32_t v = 0;
            error = parseFixedInteger(text, v);
            if (error == NumberError::none) record.*info.integer = v;
        } else {
            double v = 0.0;
            error = parseFixedReal(text, info.kind == K::fixed10 ? 10 : 6, v);
            if (error == NumberError::none) record.*info.real = v;
        }
        if (error != NumberError::none) {
            char shown[24];
            int shownLength = width;
            while (shownLength > 0 && field[shownLength - 1] == ' ') --shownLength;
            int start = 0;
            while (start < shownLength && field[start] == ' ') ++start;
            std::snprintf(shown, sizeof shown, "%.*s", shownLength - start, field + start);
            char message[160];
            std::snprintf(message, sizeof message, "%s: '%s' is %s", info.name, shown,
                          error == NumberError::outOfRange ? "out of range"
                          : info.kind == K::integer        ? "not an integer"
                                                           : "not a number");
            report(problems, path, n, first, last, "%s", message);
            ok = false;
        }
    }
    std::fclose(file);
    if (ok) out = record;
    return ok;
}

}  // namespace quenlor
