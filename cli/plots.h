// Plots of the command's CSV tables, drawn by gnuplot.
//
// Each picture is a gnuplot script written into the output folder beside
// its CSV (so it can be redrawn by hand: cd FOLDER && gnuplot NAME.gp) and
// run there, rendering PNG with the pngcairo terminal when gnuplot has it,
// else the libgd png terminal. Without gnuplot the scripts are still
// written and the caller says what to install.
#pragma once

#include <string>
#include <vector>

namespace quenlor {

inline constexpr char kGnuplotPackage[] = "gnuplot-nox";

// A vertical marker line at an x value, with its label.
struct Marker {
    double x;
    std::string label;
};

// The gnuplot program on PATH, or empty.
std::string findGnuplot();

// Runs gnuplot on script (a file name inside directory) with directory
// as its working directory; returns false with a message on failure.
bool runGnuplot(const std::string& gnuplot, const std::string& directory, const std::string& script,
                std::string& message);

struct ResponsePlot {
    std::string csv, png, title;
    double smoothingCycles;
    double hostTimePerHour, hostPressurePerPsi;  // for the host-group axes
    std::vector<Marker> markers;                 // x in hours
};
std::string responsePlotScript(const ResponsePlot& plot);

struct FallOffPlot {
    std::string csv, png, title;
    double injectionHours;
    std::vector<Marker> markers;  // x in shut-in hours
};
std::string fallOffPlotScript(const FallOffPlot& plot);

struct GFunctionPlot {
    std::string csv, png, title;
    std::vector<Marker> markers;  // x in G
};
std::string gFunctionPlotScript(const GFunctionPlot& plot);

struct SensitivityPlot {
    std::string csv, png, title;
    std::vector<std::string> curveTitles;  // curve i+1 of the CSV's first column
};
std::string sensitivityPlotScript(const SensitivityPlot& plot);

// A fit's matched curves (fit.csv): measured points and the model's line
// overlaid, on the log-log fall-off plot (pressure change and derivative
// against shut-in time) and on the G-function plot (pressure change and
// G dp/dG against G). Columns: 1 dt, 3 G, 4 and 5 the measured and model
// pressure change, 7 and 8 their derivatives, 9 and 10 their G dp/dG.
struct FitPlot {
    std::string csv, png, title;
    std::vector<Marker> markers;
};
std::string fitFallOffPlotScript(const FitPlot& plot);
std::string fitGFunctionPlotScript(const FitPlot& plot);

}  // namespace quenlor
