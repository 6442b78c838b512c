#include "datafiles/problems.h"

namespace quenlor {

void printProblem(std::FILE* stream, const FileProblem& p) {
    std::fprintf(stream, "quenlor: %s", p.path ? p.path : "");
    if (p.line > 0) std::fprintf(stream, " line %d", p.line);
    if (p.firstColumn > 0) {
        if (p.lastColumn > p.firstColumn)
            std::fprintf(stream, ", columns %d-%d", p.firstColumn, p.lastColumn);
        else
            std::fprintf(stream, ", column %d", p.firstColumn);
    }
    std::fprintf(stream, ": %s\n", p.message);
}

}  // namespace quenlor
