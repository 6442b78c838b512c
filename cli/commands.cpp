#include "commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <map>
#include <numbers>

#include "case_inputs.h"
#include "data_check.h"
#include "data_directory.h"
#include "datafiles/control_file.h"
#include "fit.h"
#include "fit_data.h"
#include "fit_report.h"
#include "interface/catalogue.h"
#include "model_library.h"
#include "model_run.h"
#include "plots.h"

#ifndef QUENLOR_BUILT_IN_DATA_DIR
#define QUENLOR_BUILT_IN_DATA_DIR "data/"
#endif

namespace quenlor {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

void error(const std::string& message) { std::fprintf(stderr, "quenlor: %s\n", message.c_str()); }
void warning(const std::string& message) { std::fprintf(stderr, "quenlor: warning: %s\n", message.c_str()); }

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::vector<CatalogueInfo> libraryCatalogue(const ModelLibrary& library) {
    const int n = library.parameterCount();
    if (n != kHostParameterCount)
        throw LibraryError(library.path() + " reports " + std::to_string(n) + " parameters, not " +
                           std::to_string(kHostParameterCount));
    std::vector<CatalogueInfo> catalogue;
    for (int i = 1; i <= n; ++i) catalogue.push_back(library.catalogueEntry(i));
    return catalogue;
}

// The model's own catalogue, for commands that do not load the library.
std::vector<CatalogueInfo> builtInCatalogue() {
    std::vector<CatalogueInfo> catalogue;
    for (int i = 1; i <= kHostParameterCount; ++i) {
        const CatalogueEntry* e = catalogueEntry(i);
        catalogue.push_back({e->longName, e->shortName, e->minimum, e->maximum, e->defaultValue, e->unitCode});
    }
    return catalogue;
}

ModelInputs gatherInputs(const std::vector<CatalogueInfo>& catalogue, const InputOptions& options,
                         const std::vector<std::string>& otherSections = {}) {
    ModelInputs inputs = defaultInputs(catalogue);
    if (!options.caseFile.empty()) readCaseFile(options.caseFile, catalogue, inputs, otherSections);
    for (const std::string& a : options.layerAssignments) applyAssignment(catalogue, inputs, a);
    for (const std::string& a : options.assignments) applyAssignment(catalogue, inputs, a);
    requireUsable(catalogue, inputs);
    for (const std::string& w : rangeWarnings(catalogue, inputs)) warning(w);
    return inputs;
}

std::string dataDirectoryFor(const LibraryOptions& where, const ModelLibrary& library) {
    const std::string given =
        where.data.empty() ? defaultDataDirectory(library.path(), QUENLOR_BUILT_IN_DATA_DIR) : where.data;
    return modelDataDirectory(given);
}

// Reports the data check's findings; false when the model would not run.
bool precheck(const std::string& directory, const ModelInputs& inputs, ControlRecord& control) {
    const DataCheck check = checkDataDirectory(directory, inputs);
    for (const Finding& f : check.findings) std::fprintf(stderr, "%s\n", formatFinding(f).c_str());
    if (check.errors() > 0) {
        error("the model would not run on the data in " + directory + " (quenlor check " + directory +
              " lists the problems)");
        return false;
    }
    control = check.control;
    return true;
}

bool hasResponse(const ResponseCurve& curve) {
    for (double p : curve.hostPressure)
        if (p != 0.0) return true;
    return false;
}

std::string number(double v) { return fmt::format("{}", v); }
std::string brief(double v) { return fmt::format("{:.4g}", v); }

std::string inputsSummary(const std::vector<CatalogueInfo>& catalogue, const ModelInputs& in) {
    std::string s = "# parameters:";
    for (std::size_t i = 0; i < catalogue.size(); ++i)
        s += fmt::format("{} {} = {}", i == 0 ? "" : ";", catalogue[i].shortName, in.parameters[i]);
    s += "\n# layer:";
    bool firstField = true;
    for (const LayerField& f : layerFields()) {
        s += fmt::format("{} {} = {} {}", firstField ? "" : ";", f.symbol, in.layer[f.hostIndex], f.unit);
        firstField = false;
    }
    return s + fmt::format("; ce = {} 1/psi\n", effectiveCompressibility(in));
}

const char* const kGroupDefinitions =
    "# tD = 0.0002637 k t / (phi mu ce rw^2), t in hours: the host's dimensionless time (well radius)\n"
    "# pD = k h dp / (141.2 qB mu), dp in psi: the host's dimensionless pressure (layer thickness)\n"
    "# ce = ct + 3 (1 - 2 nu) / (E phi): effective compressibility, E Young's modulus, nu Poisson's ratio\n"
    "# the simulation's own time is tD(Xf) = tD rw^2 / Xf^2 (fracture half length Xf)\n";

void writeResponseCsv(const std::string& path, const std::string& preamble, const ResponseCurve& c,
                      double psiPerPd) {
    std::ofstream out(path);
    out << preamble;
    out << "tD,pD,t_hours,dp_psi,dp_dlnt_psi,dpD_dlntD\n";
    for (std::size_t i = 0; i < c.hostTime.size(); ++i) {
        out << fmt::format("{},{},{},{},{},{}\n", c.hostTime[i], c.hostPressure[i], c.hours[i], c.psi[i],
                           c.derivativePsi[i], c.derivativePsi[i] / psiPerPd);
    }
    if (!out) throw std::runtime_error("cannot write " + path);
}

struct Outputs {
    std::string directory;
    std::vector<std::string> written;
    std::string gnuplot;
    bool plotsWanted = true;
    bool missingToldOnce = false;

    std::string path(const std::string& name) const { return (fs::path(directory) / name).string(); }

    void plot(const std::string& scriptName, const std::string& script, const std::string& png) {
        std::ofstream(path(scriptName)) << script;
        written.push_back(scriptName);
        if (!plotsWanted) return;
        if (gnuplot.empty()) {
            if (!missingToldOnce)
                warning(std::string("gnuplot was not found, so no plots were drawn; install it (Debian: apt-get "
                                    "install ") +
                        kGnuplotPackage + ") and run: cd " + directory + " && gnuplot " + scriptName);
            missingToldOnce = true;
            return;
        }
        std::string message;
        if (runGnuplot(gnuplot, directory, scriptName, message)) written.push_back(png);
        else warning(message);
    }
};

// Runs a command's body; an error becomes one line on standard error and
// the exit code for its kind (the user's input, or a failure).
template <class Body>
int withExitCodes(Body&& body) {
    try {
        return body();
    } catch (const InputError& e) {
        error(e.what());
        return kExitUsage;
    } catch (const DirectoryError& e) {
        error(e.what());
        return kExitUsage;
    } catch (const LibraryError& e) {
        error(e.what());
        return kExitUsage;
    } catch (const std::exception& e) {
        error(e.what());
        return kExitFailed;
    }
}

// The summary's last line: the output folder and the files written there.
void printOutputs(const Outputs& out) {
    std::string files;
    for (const std::string& f : out.written) files += " " + f;
    std::printf("  output         %s:%s\n", out.directory.c_str(), files.c_str());
}

Outputs prepareOutputs(const std::string& directory, bool plots) {
    Outputs o;
    std::error_code e;
    fs::create_directories(directory, e);
    if (e || !fs::is_directory(directory)) throw DirectoryError("cannot create the output folder " + directory);
    o.directory = fs::absolute(directory).lexically_normal().string();
    o.plotsWanted = plots;
    if (plots) o.gnuplot = findGnuplot();
    return o;
}

std::vector<Marker> markersWithin(std::initializer_list<Marker> list, double low, double high) {
    std::vector<Marker> out;
    for (const Marker& m : list)
        if (m.x >= low && m.x <= high) out.push_back(m);
    return out;
}

}  // namespace

int runSimulate(const SimulateOptions& o) {
    const auto start = Clock::now();
    return withExitCodes([&] {
        const ModelLibrary library(findModelLibrary(o.where.library));
        const std::vector<CatalogueInfo> catalogue = libraryCatalogue(library);
        const ModelInputs inputs = gatherInputs(catalogue, o.inputs);
        const std::string data = dataDirectoryFor(o.where, library);
        ControlRecord control{};
        if (!precheck(data, inputs, control)) return kExitFailed;
        const SimulationSpan span = simulationSpan(control);
        const UnitConversions units(inputs);

        const double runSeconds = runModel(library, data, inputs);
        const ResponseCurve curve = sampleResponse(library, inputs, span, o.perDecade, o.smoothing);
        if (!hasResponse(curve)) {
            error("the model returned no response for these inputs (its own message, if any, is above)");
            return kExitFailed;
        }

        const double shutInHours = units.hours(units.hostTimeFromModelTime(span.shutInTime));
        const double closureHours = inputs.parameters[kClosureTimeIndex];
        const double firstHours = curve.hours.front();
        const double lastHours = curve.hours.back();
        const double injectionHours = o.injectionHours.value_or(shutInHours);
        if (!(injectionHours >= firstHours) || !(injectionHours < lastHours - firstHours)) {
            error(fmt::format("the injection time {} h leaves no fall-off within the simulated {} to {} h; give "
                              "--injection-hours from {} to below {}",
                              injectionHours, brief(firstHours), brief(lastHours), brief(firstHours),
                              brief(lastHours - firstHours)));
            return kExitUsage;
        }

        Outputs out = prepareOutputs(o.output, o.plots);
        const double psiPerPd = units.psi(1.0);
        const std::string title = library.modelName();
        std::string preamble = fmt::format("# quenlor simulate: model {} ({}), data {}\n", title, library.path(), data);
        preamble += inputsSummary(catalogue, inputs);
        preamble += kGroupDefinitions;

        // The response.
        std::string responsePre = preamble;
        responsePre += fmt::format("# shut-in at tD(Xf) = {} (t = {} h); closure at t(close) = {} h\n", span.shutInTime,
                                   shutInHours, closureHours);
        responsePre += fmt::format("# dp_dlnt_psi: Bourdet derivative d dp / d ln t, window L = {} log cycle\n",
                                   o.smoothing);
        writeResponseCsv(out.path("response.csv"), responsePre, curve, psiPerPd);
        out.written.push_back("response.csv");
        ResponsePlot rp{"response.csv",
                        "response.png",
                        title + ": pressure change and Bourdet derivative",
                        o.smoothing,
                        units.hostTime(1.0),
                        1.0 / psiPerPd,
                        markersWithin({{shutInHours, "shut-in"}, {closureHours, "closure"}}, firstHours, lastHours)};
        out.plot("response.gp", responsePlotScript(rp), "response.png");

        // The fall-off a host makes of it.
        const std::vector<double> dts = logSpacedTimes(firstHours, lastHours - injectionHours, o.perDecade);
        const auto response = [&](double hours) { return units.psi(library.solution(units.hostTime(hours))); };
        const std::vector<FallOffPoint> fo = superposeFallOff(response, injectionHours, dts);
        std::vector<double> lnTe, lnDt, dp, g;
        for (const FallOffPoint& f : fo) {
            lnTe.push_back(std::log(f.equivalentTime));
            lnDt.push_back(std::log(f.shutInTime));
            dp.push_back(f.pressureChange);
            g.push_back(nolteG(f.shutInTime / injectionHours, o.gAlpha));
        }
        const double window = o.smoothing * std::numbers::ln10;
        const std::vector<double> dLnTe = bourdetDerivative(lnTe, dp, window);
        std::vector<double> dG = bourdetDerivative(lnDt, dp, window);
        for (std::size_t i = 0; i < dG.size(); ++i) {
            const double x = fo[i].shutInTime / injectionHours;
            dG[i] /= x * nolteGSlope(x, o.gAlpha);
        }
        {
            std::ofstream csv(out.path("falloff.csv"));
            csv << preamble;
            csv << fmt::format("# injection at unit rate for tp = {} h, then shut-in: dp(dt) = p(tp) - p(tp + dt) + "
                               "p(dt), p the response in psi\n",
                               injectionHours);
            csv << "# te = tp dt / (tp + dt), equivalent time; dp_dlnte_psi: Bourdet derivative over ln te, window "
                << fmt::format("L = {} log cycle\n", o.smoothing);
            csv << fmt::format("# G = (4/pi) (g(dtD) - g(0)), dtD = dt / tp, Nolte's G-function with alpha = {}; "
                               "dp/dG = (dp/d ln dt) / (dtD dG/ddtD), with the same window\n",
                               o.gAlpha == GAlpha::linear ? "1" : "1/2");
            csv << "dt_hours,te_hours,dtD,dp_psi,dp_dlnte_psi,dt_over_tp,G,dp_dG_psi,G_dp_dG_psi\n";
            for (std::size_t i = 0; i < fo.size(); ++i) {
                csv << fmt::format("{},{},{},{},{},{},{},{},{}\n", fo[i].shutInTime, fo[i].equivalentTime,
                                   units.hostTime(fo[i].shutInTime), fo[i].pressureChange, dLnTe[i],
                                   fo[i].shutInTime / injectionHours, g[i], dG[i], g[i] * dG[i]);
            }
            if (!csv) throw std::runtime_error("cannot write " + out.path("falloff.csv"));
        }
        out.written.push_back("falloff.csv");
        const double closureShutIn = closureHours - injectionHours;
        FallOffPlot fp{"falloff.csv", "falloff.png", title + ": fall-off after injection (superposed response)",
                       injectionHours, markersWithin({{closureShutIn, "closure"}}, dts.front(), dts.back())};
        out.plot("falloff.gp", fallOffPlotScript(fp), "falloff.png");
        GFunctionPlot gp{"falloff.csv", "gfunction.png",
                         title + fmt::format(": G-function plot (Nolte, alpha = {})",
                                             o.gAlpha == GAlpha::linear ? "1" : "1/2"),
                         {}};
        if (closureShutIn > 0.0) {
            const double gc = nolteG(closureShutIn / injectionHours, o.gAlpha);
            if (gc <= g.back()) gp.markers.push_back({gc, "closure"});
        }
        out.plot("gfunction.gp", gFunctionPlotScript(gp), "gfunction.png");

        // Summary.
        std::size_t peak = 0;
        for (std::size_t i = 1; i < curve.psi.size(); ++i)
            if (curve.psi[i] > curve.psi[peak]) peak = i;
        std::printf("quenlor simulate: model %s from %s, data %s\n", title.c_str(), library.path().c_str(),
                    data.c_str());
        std::printf("  rows           %zu response samples, t = %s to %s h (tD %s to %s); %zu fall-off samples\n",
                    curve.hostTime.size(), brief(firstHours).c_str(), brief(lastHours).c_str(),
                    brief(curve.hostTime.front()).c_str(), brief(curve.hostTime.back()).c_str(), fo.size());
        std::printf("  shut-in        %s h (model, tD(Xf) = %s); fall-off after %s h of injection\n",
                    brief(shutInHours).c_str(), brief(span.shutInTime).c_str(), brief(injectionHours).c_str());
        std::printf("  closure        %s h (t(close))%s\n", brief(closureHours).c_str(),
                    closureHours < injectionHours ? ", before the fall-off's shut-in" : "");
        std::printf("  peak pressure  %s psi (pD %s) at %s h\n", brief(curve.psi[peak]).c_str(),
                    brief(curve.hostPressure[peak]).c_str(), brief(curve.hours[peak]).c_str());
        std::printf("  run time       simulation %.3f s, total %.3f s\n", runSeconds, seconds(start));
        printOutputs(out);
        return kExitOk;
    });
}

int runSensitivity(const SensitivityOptions& so) {
    const auto start = Clock::now();
    const SimulateOptions& o = so.run;
    return withExitCodes([&] {
        const ModelLibrary library(findModelLibrary(o.where.library));
        const std::vector<CatalogueInfo> catalogue = libraryCatalogue(library);
        const int index = findParameter(catalogue, so.parameter);
        if (index < 0) {
            std::string names;
            for (const CatalogueInfo& e : catalogue) names += (names.empty() ? "" : ", ") + e.shortName;
            throw InputError("unknown parameter '" + so.parameter + "' (parameters: " + names +
                             " or their long names)");
        }
        const ModelInputs base = gatherInputs(catalogue, o.inputs);
        std::vector<double> values;
        for (const std::string& text : so.values) {
            double v = 0.0;
            if (!parseNumber(text, v)) throw InputError("the value '" + text + "' is not a number");
            values.push_back(v);
        }
        if (values.empty()) {
            const double b = base.parameters[index];
            values = b != 0.0 ? std::vector<double>{0.5 * b, b, 2.0 * b} : std::vector<double>{0.0, 1.0, 2.0};
        }
        const std::string data = dataDirectoryFor(o.where, library);
        const std::string name = catalogue[index].shortName;

        // Every value is checked before anything runs or is written.
        std::vector<ModelInputs> runs;
        std::vector<SimulationSpan> spans;
        for (double value : values) {
            ModelInputs in = base;
            in.parameters[index] = value;
            requireUsable(catalogue, in);
            const std::vector<CatalogueInfo> one = {catalogue[index]};
            ModelInputs only{};
            only.parameters[0] = value;
            for (const std::string& w : rangeWarnings(one, only)) warning(w);
            ControlRecord control{};
            if (!precheck(data, in, control)) return kExitFailed;
            runs.push_back(in);
            spans.push_back(simulationSpan(control));
        }

        Outputs out = prepareOutputs(o.output, o.plots);
        std::ofstream csv(out.path("sensitivity.csv"));
        csv << fmt::format("# quenlor sensitivity: model {} ({}), data {}, curves over {}\n", library.modelName(),
                           library.path(), data, name);
        csv << inputsSummary(catalogue, base);
        csv << kGroupDefinitions;
        csv << fmt::format("# dp_dlnt_psi: Bourdet derivative d dp / d ln t, window L = {} log cycle\n", o.smoothing);
        csv << "curve,value,tD,pD,t_hours,dp_psi,dp_dlnt_psi\n";
        std::vector<std::string> titles;
        std::vector<std::string> lines;
        for (std::size_t k = 0; k < values.size(); ++k) {
            const ModelInputs& in = runs[k];
            const SimulationSpan& span = spans[k];
            const UnitConversions units(in);
            const double runSeconds = runModel(library, data, in);
            const ResponseCurve c = sampleResponse(library, in, span, o.perDecade, o.smoothing);
            if (!hasResponse(c)) {
                error(fmt::format("the model returned no response for {} = {} (its own message, if any, is above)",
                                  name, values[k]));
                return kExitFailed;
            }
            std::size_t peak = 0;
            for (std::size_t i = 0; i < c.hostTime.size(); ++i) {
                csv << fmt::format("{},{},{},{},{},{},{}\n", k + 1, values[k], c.hostTime[i], c.hostPressure[i],
                                   c.hours[i], c.psi[i], c.derivativePsi[i]);
                if (c.psi[i] > c.psi[peak]) peak = i;
            }
            titles.push_back(fmt::format("{} = {}", name, values[k]));
            lines.push_back(fmt::format("  {} = {:<10}  {} rows, peak {} psi at {} h, shut-in {} h, run {:.3f} s",
                                        name, number(values[k]), c.hostTime.size(), brief(c.psi[peak]),
                                        brief(c.hours[peak]),
                                        brief(units.hours(units.hostTimeFromModelTime(span.shutInTime))),
                                        runSeconds));
        }
        csv.close();
        if (!csv) throw std::runtime_error("cannot write " + out.path("sensitivity.csv"));
        out.written.push_back("sensitivity.csv");
        SensitivityPlot sp{"sensitivity.csv", "sensitivity.png",
                           library.modelName() + ": sensitivity to " + catalogue[index].longName + " (" + name + ")",
                           titles};
        out.plot("sensitivity.gp", sensitivityPlotScript(sp), "sensitivity.png");

        std::printf("quenlor sensitivity: %s, %zu values, data %s\n", name.c_str(), values.size(), data.c_str());
        for (const std::string& l : lines) std::printf("%s\n", l.c_str());
        std::printf("  run time       total %.3f s\n", seconds(start));
        printOutputs(out);
        return kExitOk;
    });
}

namespace {

// "NAME=LOW:HIGH" (either side may be empty) or "NAME=log|linear".
std::pair<std::string, std::string> splitAssignment(const std::string& text, const char* what) {
    const std::size_t eq = text.rfind('=');
    if (eq == std::string::npos || eq == 0)
        throw InputError("'" + text + "' is not of the form " + what);
    return {text.substr(0, eq), text.substr(eq + 1)};
}

int fittedIndex(const std::vector<CatalogueInfo>& catalogue, const std::string& name, const char* option) {
    const int index = findParameter(catalogue, name);
    if (index < 0) {
        std::string names;
        for (const CatalogueInfo& e : catalogue) names += (names.empty() ? "" : ", ") + e.shortName;
        throw InputError(std::string(option) + ": unknown parameter '" + name + "' (parameters: " + names +
                         " or their long names)");
    }
    return index;
}

}  // namespace

int runFit(const FitOptions& o) {
    return withExitCodes([&] {
        const std::vector<CatalogueInfo> catalogue = builtInCatalogue();

        // The injection: rate (the layer's qB) and duration.
        InjectionSettings injection;
        InputOptions inputOptions = o.inputs;
        if (!o.inputs.caseFile.empty()) injection = readInjectionSettings(o.inputs.caseFile);
        if (injection.rate)
            inputOptions.layerAssignments.insert(inputOptions.layerAssignments.begin(),
                                                 "qB=" + number(*injection.rate));
        if (o.rate) {
            for (const auto* list : {&o.inputs.layerAssignments, &o.inputs.assignments})
                for (const std::string& a : *list)
                    if (findLayerValue(a.substr(0, a.find('='))) == kRateFactor)
                        throw InputError("the injection rate is given twice: --rate and " + a.substr(0, a.find('=')) +
                                         " both set qB");
            inputOptions.layerAssignments.push_back("qB=" + number(*o.rate));
        }
        const ModelInputs start = gatherInputs(catalogue, inputOptions, {"injection"});
        const std::optional<double> hours = o.injectionHours ? o.injectionHours : injection.hours;
        if (!hours)
            throw InputError("the injection's duration is needed: give --injection-hours or 'hours' in the case "
                             "file's [injection] section");
        if (o.pressureChange && o.shutInPressure)
            throw InputError("--shut-in-pressure applies to gauge pressures; with --pressure-change the data are "
                             "already the change since shut-in");

        // The parameters to fit, their bounds and scales.
        std::vector<int> indices;
        for (const std::string& name : o.fit) {
            const int index = fittedIndex(catalogue, name, "--fit");
            if (std::find(indices.begin(), indices.end(), index) != indices.end())
                throw InputError("--fit names " + catalogue[index].shortName + " twice");
            indices.push_back(index);
        }
        if (indices.empty()) throw InputError("no parameter to fit: name one or more with --fit (e.g. --fit Xf,FcD)");
        std::map<int, std::pair<std::optional<double>, std::optional<double>>> bounds;
        for (const std::string& text : o.bounds) {
            const auto [name, range] = splitAssignment(text, "NAME=LOW:HIGH");
            const int index = fittedIndex(catalogue, name, "--bounds");
            if (std::find(indices.begin(), indices.end(), index) == indices.end())
                throw InputError("--bounds " + text + ": " + catalogue[index].shortName + " is not fitted (--fit)");
            const std::size_t colon = range.find(':');
            if (colon == std::string::npos)
                throw InputError("--bounds " + text + ": the range must be LOW:HIGH (either may be left empty)");
            auto& [lower, upper] = bounds[index];
            for (int side = 0; side < 2; ++side) {
                const std::string part = side == 0 ? range.substr(0, colon) : range.substr(colon + 1);
                if (part.empty()) continue;
                double v = 0.0;
                if (!parseNumber(part, v)) throw InputError("--bounds " + text + ": '" + part + "' is not a number");
                (side == 0 ? lower : upper) = v;
            }
        }
        std::map<int, FitScale> scales;
        for (const std::string& text : o.scales) {
            const auto [name, kind] = splitAssignment(text, "NAME=log or NAME=linear");
            const int index = fittedIndex(catalogue, name, "--scale");
            if (kind != "log" && kind != "linear")
                throw InputError("--scale " + text + ": the scale is log or linear");
            scales[index] = kind == "log" ? FitScale::log : FitScale::linear;
        }

        const std::string given =
            o.data.empty() ? defaultDataDirectory("", QUENLOR_BUILT_IN_DATA_DIR) : o.data;
        const std::string data = modelDataDirectory(given);
        const MeasuredFallOff measured = readMeasuredFallOff(
            o.dataFile, o.pressureChange ? PressureColumn::change : PressureColumn::gauge, o.shutInPressure);

        FitSetup setup;
        setup.dataDirectory = data;
        setup.start = start;
        for (int index : indices) {
            const auto b = bounds.find(index);
            const auto sc = scales.find(index);
            setup.parameters.push_back(makeFitParameter(
                catalogue, catalogue[index].shortName, start, b != bounds.end() ? b->second.first : std::nullopt,
                b != bounds.end() ? b->second.second : std::nullopt,
                sc != scales.end() ? std::optional<FitScale>(sc->second) : std::nullopt));
        }
        setup.injectionHours = *hours;
        setup.shutInHours = measured.shutInHours;
        setup.pressureChange = measured.pressureChange;
        setup.derivativeWeight = o.derivativeWeight;
        setup.smoothingCycles = o.smoothing;
        setup.confidence = o.confidence;
        setup.maxIterations = o.maxIterations;
        setup.threads = o.threads;
        setup.trace = o.trace;
        if (static_cast<int>(setup.shutInHours.size()) <= static_cast<int>(setup.parameters.size()))
            throw InputError(fmt::format("{} has {} point{} after shut-in for {} parameter{}; a fit needs more points "
                                         "than parameters",
                                         o.dataFile, setup.shutInHours.size(),
                                         setup.shutInHours.size() == 1 ? "" : "s", setup.parameters.size(),
                                         setup.parameters.size() == 1 ? "" : "s"));

        // Nothing is written before the inputs have all been checked.
        ControlRecord control{};
        if (!precheck(data, start, control)) return kExitFailed;

        const FitResult result = fitFallOff(setup);
        for (const std::string& w : result.warnings) warning(w);

        Outputs out = prepareOutputs(o.output, o.plots);
        const FitDescription description{o.dataFile, data, result.best.layer[kRateFactor]};
        const std::string report = fitReport(description, setup, result);
        std::string preamble = fmt::format("# quenlor fit of {}: {}, data directory {}\n", o.dataFile,
                               result.converged ? "converged" : "NOT CONVERGED (best point reached)", data);
        preamble += "# the model's inputs at the fitted values:\n";
        preamble += inputsSummary(catalogue, result.best);
        preamble += kGroupDefinitions;
        preamble += fmt::format("# injection at qB for tp = {} h, then shut-in: dp(dt) = p(tp) - p(tp + dt) + p(dt), "
                                "p the model's response in psi\n",
                                setup.injectionHours);
        preamble += fmt::format("# te = tp dt / (tp + dt); derivatives over ln te, window L = {} log cycle; G with "
                                "alpha = {}, G dp/dG from dp/d ln dt with the same window\n",
                                o.smoothing, o.gAlpha == GAlpha::linear ? "1" : "1/2");
        writeMatchedCurves(out.path("fit.csv"), preamble, setup, result, o.gAlpha);
        out.written.push_back("fit.csv");
        {
            std::ofstream text(out.path("fit-report.txt"));
            text << report;
            for (const std::string& w : result.warnings) text << "warning: " << w << "\n";
            if (!text) throw std::runtime_error("cannot write " + out.path("fit-report.txt"));
        }
        out.written.push_back("fit-report.txt");
        {
            std::ofstream table(out.path("fit-parameters.csv"));
            table << "# quenlor fit of " << o.dataFile << (result.converged ? "" : ": NOT CONVERGED (best point reached)")
                  << "\n# index: the catalogue's (";
            for (std::size_t j = 0; j < setup.parameters.size(); ++j)
                table << (j == 0 ? "" : ", ") << setup.parameters[j].index + 1 << " " << setup.parameters[j].name;
            table << fmt::format("); low, high: the {:g} % interval (Student t, {} degrees of freedom); "
                                 "standard_error: of ln v (log scale) or v; determined 0: the data cannot see it\n",
                                 100.0 * setup.confidence, result.degreesOfFreedom);
            table << "index,start,fitted,low,high,standard_error,log_scale,determined\n";
            for (std::size_t j = 0; j < setup.parameters.size(); ++j) {
                const FitParameter& par = setup.parameters[j];
                const FittedParameter& f = result.parameters[j];
                table << fmt::format("{},{},{},{},{},{},{},{}\n", par.index + 1, par.start, f.value, f.low, f.high,
                                     f.standardError, par.scale == FitScale::log ? 1 : 0, f.determined ? 1 : 0);
            }
            if (!table) throw std::runtime_error("cannot write " + out.path("fit-parameters.csv"));
        }
        out.written.push_back("fit-parameters.csv");

        const double closureShutIn = result.best.parameters[kClosureTimeIndex] - setup.injectionHours;
        FitPlot loglog{"fit.csv", "fit-falloff.png", "Quenlor fit: measured and model fall-off", {}};
        FitPlot gplot{"fit.csv", "fit-gfunction.png",
                      fmt::format("Quenlor fit: G-function plot (Nolte, alpha = {})",
                                  o.gAlpha == GAlpha::linear ? "1" : "1/2"),
                      {}};
        if (closureShutIn >= setup.shutInHours.front() && closureShutIn <= setup.shutInHours.back()) {
            loglog.markers.push_back({closureShutIn, "closure (fitted t(close))"});
            gplot.markers.push_back({nolteG(closureShutIn / setup.injectionHours, o.gAlpha), "closure"});
        }
        out.plot("fit-falloff.gp", fitFallOffPlotScript(loglog), "fit-falloff.png");
        out.plot("fit-gfunction.gp", fitGFunctionPlotScript(gplot), "fit-gfunction.png");

        std::printf("%s", report.c_str());
        printOutputs(out);
        if (!result.converged) {
            error("the fit did not converge (" + result.stopReason + "); the best point reached is reported");
            return kExitFailed;
        }
        return kExitOk;
    });
}

int runCatalogue(const CatalogueOptions& o) {
    return withExitCodes([&] {
        const ModelLibrary library(findModelLibrary(o.library));
        const std::vector<CatalogueInfo> catalogue = libraryCatalogue(library);
        if (o.csv) {
            std::printf("index,long_name,short_name,minimum,maximum,default,unit_code\n");
            for (std::size_t i = 0; i < catalogue.size(); ++i) {
                const CatalogueInfo& e = catalogue[i];
                std::printf("%s\n", fmt::format("{},\"{}\",\"{}\",{},{},{},{}", i + 1, e.longName, e.shortName,
                                                e.minimum, e.maximum, e.defaultValue, e.unitCode)
                                        .c_str());
            }
            return kExitOk;
        }
        std::printf("%s: %zu parameters (%s)\n", library.modelName().c_str(), catalogue.size(),
                    library.path().c_str());
        std::printf("%s\n", fmt::format("{:>2}  {:<36} {:<16} {:>20} {:>20} {:>20} {:>5}", "#", "long name",
                                        "short name", "minimum", "maximum", "default", "unit")
                                .c_str());
        for (std::size_t i = 0; i < catalogue.size(); ++i) {
            const CatalogueInfo& e = catalogue[i];
            std::printf("%s\n", fmt::format("{:>2}  {:<36} {:<16} {:>20} {:>20} {:>20} {:>5}", i + 1, e.longName,
                                            e.shortName, number(e.minimum), number(e.maximum),
                                            number(e.defaultValue), e.unitCode)
                                    .c_str());
        }
        return kExitOk;
    });
}

int runCheck(const CheckOptions& o) {
    return withExitCodes([&] {
        std::error_code e;
        if (!fs::is_directory(o.directory, e)) {
            error("the data directory " + o.directory + (fs::exists(o.directory, e) ? " is not a directory"
                                                                                     : " does not exist"));
            return kExitUsage;
        }
        const std::vector<CatalogueInfo> catalogue = builtInCatalogue();
        const ModelInputs inputs = gatherInputs(catalogue, o.inputs);
        const DataCheck check = checkDataDirectory(o.directory, inputs);
        for (const Finding& f : check.findings) std::fprintf(stderr, "%s\n", formatFinding(f).c_str());
        const std::string dir = withSeparator(o.directory);
        if (check.errors() > 0) {
            std::fprintf(stderr, "quenlor check: %s: %d problem%s, %d warning%s; the model would not run\n",
                         dir.c_str(), check.errors(), check.errors() == 1 ? "" : "s", check.warnings(),
                         check.warnings() == 1 ? "" : "s");
            return kExitFailed;
        }
        const ControlRecord& c = check.control;
        std::string run;
        try {
            const SimulationSpan span = simulationSpan(c);
            run = fmt::format("a run appends {} rows from tD(Xf) {} to {}, shut-in at {}, closure model {}",
                              span.appendedRows, number(span.firstRowTime), number(span.lastRowTime),
                              number(span.shutInTime), c.closureModel);
        } catch (const InputError& why) {
            run = why.what();
        }
        std::printf("quenlor check: %s: control file (%d records) and grid (%d x %d values) read, %d warning%s; %s\n",
                    dir.c_str(), kControlRecordCount, kGridSize, kGridSize, check.warnings(),
                    check.warnings() == 1 ? "" : "s", run.c_str());
        return kExitOk;
    });
}

}  // namespace quenlor
