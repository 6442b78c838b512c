// The simulation control file: forty fixed-column records.
//
// Record n is line n. Column 1 is skipped, columns 2-11 are a free label,
// the value follows in columns 12-31 for a real record (F20.10 or E20.6:
// 10 or 6 implied decimals when the field has no point) or columns 12-19
// for an integer record (I8). Text after the value field, and every line
// after the fortieth, is ignored; a line that ends early reads as blanks
// beyond its end. Lines may end in LF or CR LF.
//
// The reader fills a ControlRecord only when all forty records are
// present and every field is a number; otherwise it reports each problem
// (file, line, columns) and leaves the caller's record as it was.
#pragma once

#include <cstdint>

#include "datafiles/problems.h"
#include "state/model_state.h"

namespace quenlor {

inline constexpr int kControlRecordCount = 40;

enum class ControlFieldKind { fixed10, exponent6, integer };

struct ControlFieldInfo {
    const char* name;
    ControlFieldKind kind;
    double ControlRecord::*real;          // null for integer records
    std::int32_t ControlRecord::*integer;  // null for real records
};

// The layout of record n (1..40).
const ControlFieldInfo& controlField(int record);

// First and last column of record n's value field.
int controlValueFirstColumn();
int controlValueLastColumn(int record);

// Reads the control file at path. Returns true and fills out when the
// file is complete and readable; otherwise reports to problems and
// returns false with out unchanged.
bool readControlFile(const char* path, ControlRecord& out, ProblemSink& problems);

}  // namespace quenlor
