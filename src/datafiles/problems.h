// Problems found in a data file, and where they are.
//
// Readers report each problem to a ProblemSink and go on where they can,
// so a checking tool can list them all; the model itself stops at the
// first one. Reporting allocates nothing.
#pragma once

#include <cstdio>

namespace quenlor {

struct FileProblem {
    const char* path;  // the file as opened
    int line;          // 1-based; 0 when the problem is not tied to a line
    int firstColumn;   // 1-based; 0 when not tied to columns
    int lastColumn;
    char message[200];
};

class ProblemSink {
public:
    virtual void report(const FileProblem& problem) = 0;

protected:
    ~ProblemSink() = default;
};

// Writes "quenlor: FILE line L, columns A-B: MESSAGE" (the parts that are
// known) as one line to stream.
void printProblem(std::FILE* stream, const FileProblem& problem);

// Keeps the first problem and counts all of them.
class FirstProblem final : public ProblemSink {
public:
    void report(const FileProblem& problem) override {
        if (count_ == 0) first_ = problem;
        ++count_;
    }
    int count() const { return count_; }
    const FileProblem& first() const { return first_; }

private:
    FileProblem first_{};
    int count_ = 0;
};

}  // namespace quenlor
