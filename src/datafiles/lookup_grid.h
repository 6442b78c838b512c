// The apparent-skin lookup grid: 201 x 201 values on a 0.025 grid.
//
// T(a, b) is the value at x = (a-1) 0.025 (2/FcD) and y = (b-1) 0.025
// (|face skin|), both axes 0..5. File: 201 records, record a holding
// T(a, 1..201) as a free-format list (blanks, tabs, commas or line ends
// between numbers) that starts on a new line and may span lines; the rest
// of the line where a record's 201st value stands is skipped.
//
// interpolateLookupGrid is planar through three corners of the cell:
// T(i-1, j-1) + 40 [(T(i, j-1) - T(i-1, j-1)) dx + (T(i-1, j) - T(i-1, j-1)) dy],
// the fourth corner unused; beyond 5 the last cell's plane is extended.
// A negative argument uses the first cell's plane (extended), so no
// argument ever reads outside the table.
#pragma once

#include "datafiles/problems.h"
#include "state/model_state.h"

namespace quenlor {

// Reads the grid file at path into out. Returns false after reporting the
// first problem (cannot open, a token that is not a number, fewer than
// 201 x 201 values); out may then be partly overwritten.
bool readLookupGrid(const char* path, LookupGrid& out, ProblemSink& problems);

double interpolateLookupGrid(const LookupGrid& grid, double x, double y);

}  // namespace quenlor
