// One simulation run: data files, set-up, checks, sweeps and marches.
//
// runSimulation reads the control file and the lookup grid from the data
// directory (both must be complete and numeric, else the run is abandoned
// with one diagnostic line on standard error and the response table keeps
// its rows), sets up the dimensionless groups (restarting the table at its
// origin row), checks the controls against what the method needs (a
// failing check is reported as one line and the table keeps its origin
// row only), then runs the passes: a calibration sweep, the injection
// march and, with one pass, a second sweep, the fall-off march and the
// tail.
#pragma once

#include "datafiles/problems.h"
#include "state/model_state.h"

namespace quenlor {

void runSimulation(ModelState& state);

// Reads both data files into the state; on a problem reports it and
// leaves the control record and grid as they were.
bool loadDataFiles(ModelState& state, ProblemSink& problems);

// Reports every control value (or grid-derived value) that breaks the
// method's requirements for the set-up state; returns true when none does.
// The report names the control file's line and value columns.
bool checkRunRequirements(const ModelState& state, const char* controlPath, ProblemSink& problems);

void runPasses(ModelState& state);

}  // namespace quenlor
