// A measured fall-off read from a CSV file, as `quenlor fit` matches it.
//
// The file holds one row per measurement: shut-in time (hours since the
// end of injection) in the first column and pressure (psi) in the second;
// further columns are ignored. Lines starting with '#' and blank lines
// are skipped; the first other line is a header when its first field is
// not a number. Fields are separated by commas (blanks around them are
// allowed). Times must be finite, not negative and strictly increasing.
//
// The pressure column is either the gauge pressure (default) or already
// the pressure change since shut-in. A gauge pressure p(dt) becomes the
// change p_shut-in - p(dt) (positive in a fall-off after injection); the
// shut-in pressure is given, or else read from a row at time 0. A row at
// time 0 is never fitted: the change there is 0 by definition.
//
// Every problem is an InputError with a one-line message naming the file
// and line (and the field).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quenlor {

enum class PressureColumn { gauge, change };

struct MeasuredFallOff {
    std::string path;
    std::vector<double> shutInHours;     // dt > 0, strictly increasing
    std::vector<double> pressureChange;  // psi, since shut-in
    std::vector<int> lines;              // the file's line of each point
    std::optional<double> shutInPressure;  // psi, in gauge mode
};

// Reads and checks the file; shutInPressure overrides a row at time 0.
MeasuredFallOff readMeasuredFallOff(const std::string& path, PressureColumn column,
                                    std::optional<double> shutInPressure);

// The [injection] section of a case file: `hours`, the injection's
// duration, and `rate`, bbl/day (rate times formation volume factor: it
// sets the layer's qB, which the file must then not set as well). Other
// names in the section, non-numbers and non-positive values are errors.
struct InjectionSettings {
    std::optional<double> hours;
    std::optional<double> rate;
};
InjectionSettings readInjectionSettings(const std::string& caseFile);

}  // namespace quenlor
