#include "data_check.h"

#include <cstdio>
#include <fstream>
#include <memory>

#include "data_directory.h"
#include "datafiles/control_file.h"
#include "datafiles/lookup_grid.h"
#include "interface/intake.h"
#include "simulation/run_simulation.h"
#include "simulation/setup.h"

namespace quenlor {

namespace {

class Collect final : public ProblemSink {
public:
    explicit Collect(std::vector<Finding>& out) : out_(out) {}
    void report(const FileProblem& p) override {
        out_.push_back({p.path ? p.path : "", p.line, p.firstColumn, p.lastColumn, p.message, false});
    }

private:
    std::vector<Finding>& out_;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isNumberCharacter(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-'; }


}  // namespace

std::string formatFinding(const Finding& f) {
    std::string s = "quenlor: ";
    if (f.warning) s += "warning: ";
    s += f.path;
    if (f.line > 0) s += " line " + std::to_string(f.line);
    if (f.firstColumn > 0) {
        if (f.lastColumn > f.firstColumn)
            s += ", columns " + std::to_string(f.firstColumn) + "-" + std::to_string(f.lastColumn);
        else
            s += ", column " + std::to_string(f.firstColumn);
    }
    return s + ": " + f.message;
}

int DataCheck::errors() const {
    int n = 0;
    for (const Finding& f : findings) n += f.warning ? 0 : 1;
    return n;
}

int DataCheck::warnings() const { return static_cast<int>(findings.size()) - errors(); }

std::vector<Finding> lintControlFile(const std::string& path) {
    std::vector<Finding> out;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (int n = 1; n <= kControlRecordCount && std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const ControlFieldInfo& info = controlField(n);
        const int first = controlValueFirstColumn();
        const int last = controlValueLastColumn(n);
        const auto at = [&](int column) { return column <= static_cast<int>(line.size()) ? line[column - 1] : ' '; };
        const auto warn = [&](int a, int b, const std::string& message) {
            out.push_back({path, n, a, b, std::string(info.name) + ": " + message, true});
        };
        bool blank = true;
        for (char c : line) blank = blank && isBlank(c);
        if (blank) {
            warn(0, 0, "the line is blank and reads as 0; did a line go missing or get added above it?");
            continue;
        }
        for (int c = 1; c <= last && c <= static_cast<int>(line.size()); ++c) {
            if (line[c - 1] == '\t') {
                warn(c, c, "a tab counts as one column here; write blanks so the value stays in columns " +
                               std::to_string(first) + "-" + std::to_string(last));
                break;
            }
        }
        if (!isBlank(at(last)) && static_cast<int>(line.size()) > last && !isBlank(at(last + 1))) {
            int end = last + 1;
            while (end < static_cast<int>(line.size()) && !isBlank(at(end + 1))) ++end;
            warn(first, end, "the value runs past column " + std::to_string(last) + " ('" +
                                 line.substr(first - 1, end - first + 1) + "'); only columns " +
                                 std::to_string(first) + "-" + std::to_string(last) + " are read");
        }
        if (isNumberCharacter(at(first - 1)) && !isBlank(at(first))) {
            int start = first - 1;
            while (start > 2 && isNumberCharacter(at(start - 1))) --start;
            warn(start, last, "the value seems to start in the label, before column " + std::to_string(first) +
                                  "; the label's characters are not read");
        }
    }
    return out;
}

DataCheck checkDataDirectory(const std::string& directory, const ModelInputs& inputs) {
    DataCheck check;
    Collect sink(check.findings);
    const std::string dir = withSeparator(directory);
    if (dir.size() > kModelDirectoryLimit) {
        check.findings.push_back({dir, 0, 0, 0,
                                  "the directory text is " + std::to_string(dir.size()) +
                                      " characters long; the model keeps only " +
                                      std::to_string(kModelDirectoryLimit) + " and would not find its files",
                                  false});
    }
    const std::string controlPath = dir + kControlFile;
    const std::string gridPath = dir + kGridFile;

    auto state = std::make_unique<ModelState>();
    check.controlRead = readControlFile(controlPath.c_str(), state->control, sink);
    if (check.controlRead) {
        check.control = state->control;
        for (Finding& f : lintControlFile(controlPath)) check.findings.push_back(std::move(f));
    }
    check.gridRead = readLookupGrid(gridPath.c_str(), state->grid, sink);
    if (!check.controlRead || !check.gridRead) return check;

    storeParameters(*state, inputs.parameters.data(), inputs.layer.data());
    setUpSimulation(*state);
    const std::size_t before = check.findings.size();
    checkRunRequirements(*state, controlPath.c_str(), sink);
    for (std::size_t i = before; i < check.findings.size(); ++i) {
        // The requirement checks name the grid by its file name only.
        if (check.findings[i].path == kGridFile) check.findings[i].path = gridPath;
    }

    // Settings the model accepts but that leave the host an empty curve.
    const ControlRecord& c = check.control;
    const auto noCurve = [&](int record, const std::string& message) {
        check.findings.push_back({controlPath, record, controlValueFirstColumn(), controlValueLastColumn(record),
                                  std::string(controlField(record).name) + " is " + message, false});
    };
    constexpr int kPassCountRecord = 31;
    constexpr int kTimeSpacingRecord = 34;
    if (c.passCount < 1)
        noCurve(kPassCountRecord, std::to_string(c.passCount) + ": no pass runs and the response stays empty");
    else if (c.timeSpacingMode != 5)
        noCurve(kTimeSpacingRecord, std::to_string(c.timeSpacingMode) +
                                        ": only mode 5 goes on past the first sweep; the response stays empty");
    return check;
}

}  // namespace quenlor
