#include "plots.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <fmt/format.h>

namespace quenlor {

namespace {

// A gnuplot string literal in single quotes ('' stands for ').
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += "''";
        else out += c;
    }
    return out + "'";
}

std::string header(const std::string& title, bool enhancedKey = false) {
    std::string s;
    s += "# Drawn by quenlor; redraw with: gnuplot <this file> (in this folder)\n";
    s += "set datafile separator ','\n";
    s += "set title " + quoted(title) + " noenhanced\n";
    s += "set grid xtics ytics mxtics mytics lc 'gray80'\n";
    s += enhancedKey ? "set key top left opaque box enhanced\n" : "set key top left opaque box noenhanced\n";
    return s;
}

// Selects the PNG terminal and the output file.
std::string terminal(const std::string& png) {
    std::string s;
    s += "if (strstrt(GPVAL_TERMINALS, 'pngcairo') > 0) {\n";
    s += "  set terminal pngcairo size 1100,760 enhanced font 'sans,11'\n";
    s += "} else {\n";
    s += "  set terminal png size 1100,760\n";
    s += "}\n";
    s += "set output " + quoted(png) + "\n";
    return s;
}

std::string markers(const std::vector<Marker>& list) {
    std::string s;
    int tag = 1;
    for (const Marker& m : list) {
        s += fmt::format("set arrow {} from first {}, graph 0 to first {}, graph 1 nohead dashtype 2 lw 1.5 lc 'gray30'\n",
                         tag, m.x, m.x);
        s += fmt::format("set label {} {} at first {}, graph 0.04 offset 0.6,0 rotate by 90 tc 'gray20' noenhanced\n", tag,
                         quoted(m.label), m.x);
        ++tag;
    }
    return s;
}

const char* const kLogFormat = "set format x '10^{%L}'\nset format y '10^{%L}'\n";

}  // namespace

std::string findGnuplot() {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string_view rest = path;
    while (true) {
        const std::size_t end = rest.find(':');
        const std::string_view dir = rest.substr(0, end);
        std::string candidate(dir.empty() ? std::string_view(".") : dir);
        candidate += "/gnuplot";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (end == std::string_view::npos) return {};
        rest.remove_prefix(end + 1);
    }
}

bool runGnuplot(const std::string& gnuplot, const std::string& directory, const std::string& script,
                std::string& message) {
    const pid_t pid = ::fork();
    if (pid < 0) {
        message = std::string("cannot start gnuplot: ") + std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        if (::chdir(directory.c_str()) != 0) ::_exit(126);
        const char* argv[] = {gnuplot.c_str(), script.c_str(), nullptr};
        ::execv(gnuplot.c_str(), const_cast<char* const*>(argv));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            message = std::string("waiting for gnuplot failed: ") + std::strerror(errno);
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    message = "gnuplot failed on " + (std::filesystem::path(directory) / script).string() +
              (WIFEXITED(status) ? " (exit status " + std::to_string(WEXITSTATUS(status)) + ")" : " (killed)");
    return false;
}

std::string responsePlotScript(const ResponsePlot& p) {
    std::string s = header(p.title);
    s += "set logscale xy\n";
    s += kLogFormat;
    s += "set xlabel 'elapsed time t, hours'\n";
    s += "set ylabel 'pressure change {/Symbol D}p and derivative d{/Symbol D}p/d ln t, psi'\n";
    const std::string plot = fmt::format(
        "plot {0} using 3:4 with lines lw 2.5 lc rgb '#1f4e9c' title 'pressure change', \\\n"
        "     {0} using 3:($5 > 0 ? $5 : NaN) with lines lw 2 lc rgb '#c0392b' title 'Bourdet derivative (L = {1} log cycle)', \\\n"
        "     {0} using 3:($5 < 0 ? -$5 : NaN) with lines lw 2 dashtype 3 lc rgb '#c0392b' title '- derivative (pressure falling)'\n",
        quoted(p.csv), p.smoothingCycles);
    s += markers(p.markers);
    // The host's groups on the opposite axes (tD = a t, pD = b dp): a log
    // axis cannot be linked, so the ranges are set from the data.
    s += fmt::format("stats {0} using 3 nooutput name 'T'\n"
                     "stats {0} using ($4 > 0 ? $4 : NaN) nooutput name 'P'\n"
                     "stats {0} using ($5 != 0 ? abs($5) : NaN) nooutput name 'D'\n",
                     quoted(p.csv));
    s += "ymin = (P_min < D_min ? P_min : D_min) / 1.5\nymax = (P_max > D_max ? P_max : D_max) * 1.5\n";
    s += "set xrange [T_min:T_max]\nset yrange [ymin:ymax]\n";
    s += fmt::format("set x2range [T_min*{0}:T_max*{0}]\n", p.hostTimePerHour);
    s += fmt::format("set y2range [ymin*{0}:ymax*{0}]\n", p.hostPressurePerPsi);
    s += "set logscale x2y2\nset x2tics\nset y2tics\nset xtics nomirror\nset ytics nomirror\n";
    s += "set format x2 '10^{%L}'\nset format y2 '10^{%L}'\n";
    s += "set x2label 'host dimensionless time t_D (well radius)'\n";
    s += "set y2label 'host dimensionless pressure p_D (thickness)'\n";
    s += terminal(p.png);
    return s + plot;
}

std::string fallOffPlotScript(const FallOffPlot& p) {
    std::string s = header(p.title, true);
    s += terminal(p.png);
    s += "set logscale xy\n";
    s += kLogFormat;
    s += "set xlabel 'shut-in time {/Symbol D}t, hours'\n";
    s += "set ylabel 'pressure change since shut-in and derivative, psi'\n";
    s += markers(p.markers);
    s += fmt::format(
        "plot {0} using 1:($4 > 0 ? $4 : NaN) with lines lw 2.5 lc rgb '#1f4e9c' title 'p(tp) - p(tp + {{/Symbol D}}t) + p({{/Symbol D}}t), tp = {1:.4g} h', \\\n"
        "     {0} using 1:($4 < 0 ? -$4 : NaN) with lines lw 2.5 dashtype 3 lc rgb '#1f4e9c' title '- pressure change (negative)', \\\n"
        "     {0} using 1:($5 > 0 ? $5 : NaN) with lines lw 2 lc rgb '#c0392b' title 'derivative d{{/Symbol D}}p/d ln t_e (equivalent time)', \\\n"
        "     {0} using 1:($5 < 0 ? -$5 : NaN) with lines lw 2 dashtype 3 lc rgb '#c0392b' title '- derivative'\n",
        quoted(p.csv), p.injectionHours);
    return s;
}

std::string gFunctionPlotScript(const GFunctionPlot& p) {
    std::string s = header(p.title, true);
    s += terminal(p.png);
    s += "set xlabel 'G-function'\n";
    s += "set ylabel 'pressure change since shut-in {/Symbol D}p, psi'\n";
    s += "set y2label 'dp/dG and G dp/dG, psi'\n";
    s += "set ytics nomirror\nset y2tics\nset xrange [0:*]\n";
    s += markers(p.markers);
    s += fmt::format(
        "plot {0} using 7:4 axes x1y1 with lines lw 2.5 lc rgb '#1f4e9c' title '{{/Symbol D}}p (left)', \\\n"
        "     {0} using 7:8 axes x1y2 with lines lw 2 lc rgb '#2e8b57' title 'd{{/Symbol D}}p/dG (right)', \\\n"
        "     {0} using 7:9 axes x1y2 with lines lw 2 lc rgb '#c0392b' title 'G d{{/Symbol D}}p/dG (right)'\n",
        quoted(p.csv));
    return s;
}

std::string sensitivityPlotScript(const SensitivityPlot& p) {
    std::string s = header(p.title);
    s += terminal(p.png);
    s += "set logscale xy\n";
    s += kLogFormat;
    s += "set xlabel 'elapsed time t, hours'\n";
    s += "set ylabel 'pressure change (solid) and Bourdet derivative (dashed), psi'\n";
    s += "plot ";
    for (std::size_t i = 0; i < p.curveTitles.size(); ++i) {
        const int curve = static_cast<int>(i) + 1;
        if (i > 0) s += ", \\\n     ";
        s += fmt::format("{0} using 5:($1 == {1} ? $6 : NaN) with lines lw 2 lc {1} title {2}, \\\n"
                         "     {0} using 5:($1 == {1} && $7 > 0 ? $7 : NaN) with lines lw 1.5 dashtype 2 lc {1} notitle",
                         quoted(p.csv), curve, quoted(p.curveTitles[i]));
    }
    s += "\n";
    return s;
}

std::string fitFallOffPlotScript(const FitPlot& p) {
    std::string s = header(p.title, true);
    s += terminal(p.png);
    s += "set logscale xy\n";
    s += kLogFormat;
    s += "set xlabel 'shut-in time {/Symbol D}t, hours'\n";
    s += "set ylabel 'pressure change since shut-in and derivative, psi'\n";
    s += markers(p.markers);
    s += fmt::format(
        "plot {0} using 1:($4 > 0 ? $4 : NaN) with points pt 6 ps 0.8 lc rgb '#1f4e9c' title 'measured {{/Symbol D}}p', \\\n"
        "     {0} using 1:($5 > 0 ? $5 : NaN) with lines lw 2.5 lc rgb '#1f4e9c' title 'model {{/Symbol D}}p', \\\n"
        "     {0} using 1:($7 > 0 ? $7 : NaN) with points pt 4 ps 0.8 lc rgb '#c0392b' title 'measured derivative d{{/Symbol D}}p/d ln t_e', \\\n"
        "     {0} using 1:($8 > 0 ? $8 : NaN) with lines lw 2 lc rgb '#c0392b' title 'model derivative'\n",
        quoted(p.csv));
    return s;
}

std::string fitGFunctionPlotScript(const FitPlot& p) {
    std::string s = header(p.title, true);
    s += terminal(p.png);
    s += "set xlabel 'G-function'\n";
    s += "set ylabel 'pressure change since shut-in {/Symbol D}p, psi'\n";
    s += "set y2label 'G dp/dG, psi'\n";
    s += "set ytics nomirror\nset y2tics\nset xrange [0:*]\nset key center right\n";
    s += markers(p.markers);
    s += fmt::format(
        "plot {0} using 3:4 axes x1y1 with points pt 6 ps 0.8 lc rgb '#1f4e9c' title 'measured {{/Symbol D}}p (left)', \\\n"
        "     {0} using 3:5 axes x1y1 with lines lw 2.5 lc rgb '#1f4e9c' title 'model {{/Symbol D}}p (left)', \\\n"
        "     {0} using 3:9 axes x1y2 with points pt 4 ps 0.8 lc rgb '#c0392b' title 'measured G d{{/Symbol D}}p/dG (right)', \\\n"
        "     {0} using 3:10 axes x1y2 with lines lw 2 lc rgb '#c0392b' title 'model G d{{/Symbol D}}p/dG (right)'\n",
        quoted(p.csv));
    return s;
}

}  // namespace quenlor
