#include "datafiles/lookup_grid.h"

#include <cstdio>
#include <string_view>

#include "datafiles/number_text.h"
#include "state/constants.h"

namespace quenlor {

namespace {

constexpr int kTokenLimit = 64;

struct Reader {
    std::FILE* file;
    int line = 1;
    int column = 0;  // column of the last character read
    int get() {
        const int c = std::fgetc(file);
        if (c == '\n') {
            ++line;
            column = 0;
        } else if (c != EOF) {
            ++column;
        }
        return c;
    }
};

bool isSeparator(int c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

void report(ProblemSink& sink, const char* path, int line, int first, int last, const char* message) {
    FileProblem p{path, line, first, last, {}};
    std::snprintf(p.message, sizeof p.message, "%s", message);
    sink.report(p);
}

// Index of the grid line above v along one axis, 2..201 (1-based), as the
// cell search counts it: the first line strictly above v, at most 201.
int cellIndex(double v) {
    int i = 1;
    double g = -kGridSpacing;
    for (int k = 0; k < kGridSize; ++k) {
        g = g + kGridSpacing;
        if (g > v) break;
        ++i;
    }
    if (i > kGridSize) i = kGridSize;
    if (i < 2) i = 2;  // below the first line: extend the first cell
    return i;
}

}  // namespace

bool readLookupGrid(const char* path, LookupGrid& out, ProblemSink& problems) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        report(problems, path, 0, 0, 0, "cannot be opened for reading");
        return false;
    }
    Reader r{file};
    bool ok = true;
    int c = r.get();
    for (int a = 1; a <= kGridSize && ok; ++a) {
        for (int b = 1; b <= kGridSize; ++b) {
            while (c != EOF && isSeparator(c)) c = r.get();
            if (c == EOF) {
                char message[160];
                std::snprintf(message, sizeof message,
                              "the file ends in record %d after %d of its %d values (%d of %d in all)", a,
                              b - 1, kGridSize, (a - 1) * kGridSize + b - 1, kGridSize * kGridSize);
                report(problems, path, r.line, 0, 0, message);
                ok = false;
                break;
            }
            char token[kTokenLimit + 1];
            int length = 0;
            const int line = r.line;
            const int firstColumn = r.column;
            while (c != EOF && !isSeparator(c)) {
                if (length < kTokenLimit) token[length] = static_cast<char>(c);
                ++length;
                c = r.get();
            }
            double v = 0.0;
            const NumberError e = length > kTokenLimit ? NumberError::notANumber
                                                       : parseFreeReal(std::string_view(token, length), v);
            if (e != NumberError::none) {
                char message[160];
                std::snprintf(message, sizeof message, "record %d, value %d: '%.*s%s' is %s", a, b,
                              length > 40 ? 40 : length, token, length > 40 ? "..." : "",
                              e == NumberError::outOfRange ? "out of range" : "not a number");
                report(problems, path, line, firstColumn, firstColumn + length - 1, message);
                ok = false;
                break;
            }
            out.at(a, b) = v;
        }
        if (!ok) break;
        // The record ends here: skip the rest of its last line.
        while (c != EOF && c != '\n') c = r.get();
    }
    std::fclose(file);
    return ok;
}

double interpolateLookupGrid(const LookupGrid& grid, double x, double y) {
    const int i = cellIndex(x);
    const int j = cellIndex(y);
    const double dx = x + (2 - i) * kGridSpacing;
    const double dy = y + (2 - j) * kGridSpacing;
    const double t00 = grid.at(i - 1, j - 1);
    return t00 + 40.0 * ((grid.at(i, j - 1) - t00) * dx + (grid.at(i - 1, j) - t00) * dy);
}

}  // namespace quenlor
