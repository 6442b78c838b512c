// Solution requests: the response table interpolated at the host's time.
//
// The host's dimensionless time is based on the well radius; the table's
// on the fracture half length: t = tH rw^2 / Xf^2. The first row at or
// after t is found by a scan from row 2; the three rows around the nearer
// neighbour (never the origin row) are interpolated by a Lagrange
// parabola, in ln t above t = 1 and in t at or below it. At or below 1 a
// pressure <= 0 becomes 0. The value, based on min(fracture height,
// thickness), is rescaled to the thickness. A time beyond the last row,
// an empty table or a table with fewer than three rows after the origin
// returns the previous result unchanged (the held result, 0 at load).
#pragma once

#include "state/model_state.h"

namespace quenlor {

double lookupResponse(ModelState& state, double hostTime);

// Restarts the table at its origin row (time 0, value 0, never written).
void restartTable(ResponseTable& table);

// Appends one row (count up by one, then the row written at the new count).
// Rows beyond the capacity are dropped; runs are checked beforehand so
// that they never reach it.
void appendRow(ResponseTable& table, double time, double value);

}  // namespace quenlor
