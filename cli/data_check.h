// Checking a data directory the way the model reads it.
//
// The control file and the grid are read with the model's own readers,
// which report every unreadable control record and the first grid problem
// with file, line and columns. When both read, the model's set-up is done
// for the given inputs and the controls are checked against what the run
// needs (the model's own requirement checks). On top of that, the control
// file's lines are looked at for the usual hand-editing slips that the
// model reads without complaint but wrongly: a value that spills past its
// field or starts inside the label, a tab, a blank line among the forty.
// Those are warnings. A directory text longer than the model's 80
// characters is an error: the model would not find the files.
#pragma once

#include <string>
#include <vector>

#include "case_inputs.h"
#include "state/model_state.h"

namespace quenlor {

struct Finding {
    std::string path;
    int line = 0;         // 0: not tied to a line
    int firstColumn = 0;  // 0: not tied to columns
    int lastColumn = 0;
    std::string message;
    bool warning = false;
};

// "quenlor: [warning: ]PATH line L, columns A-B: MESSAGE".
std::string formatFinding(const Finding& finding);

struct DataCheck {
    std::vector<Finding> findings;
    bool controlRead = false;
    bool gridRead = false;
    ControlRecord control{};  // as read, when controlRead
    int errors() const;
    int warnings() const;
};

// directory: as given (a separator is added for the file names).
DataCheck checkDataDirectory(const std::string& directory, const ModelInputs& inputs);

// The control file's layout slips described above.
std::vector<Finding> lintControlFile(const std::string& path);

}  // namespace quenlor
