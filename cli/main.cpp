// quenlor: run, plot and check the model without its host.
//
//   quenlor simulate      run the model through its exported interface, write
//                         the response and a fall-off as CSV, draw the plots
//   quenlor catalogue     the parameter catalogue as the host shows it
//   quenlor check DIR     read a data directory as the model does, report
//                         every problem with file, line and columns
//   quenlor sensitivity P overlay the responses for several values of one
//                         parameter
//   quenlor fit DATA      match the model's fall-off to a measured one
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "case_inputs.h"
#include "commands.h"

#ifndef QUENLOR_VERSION
#define QUENLOR_VERSION "unknown"
#endif

namespace {

using namespace quenlor;

void addInputOptions(CLI::App& sub, InputOptions& in) {
    sub.add_option("--case", in.caseFile,
                   "case file: TOML-style 'name = value' lines with optional [parameters] and [layer] sections")
        ->type_name("FILE");
    sub.add_option("-p,--param", in.assignments,
                   "set a parameter (catalogue short or long name) or a layer value; repeatable, e.g. -p Xf=300 -p "
                   "\"Young's modulus=2e6\"")
        ->type_name("NAME=VALUE");
    auto* group = sub.add_option_group("layer", "the host's layer values (default: the documented default case)");
    for (const LayerField& f : layerFields()) {
        const std::string word = f.word;
        group
            ->add_option_function<std::string>(
                std::string("--") + f.option,
                [&in, word](const std::string& v) { in.layerAssignments.push_back(word + "=" + v); },
                std::string(f.description) + ", " + f.unit)
            ->type_name("VALUE");
    }
}

void addLibraryOptions(CLI::App& sub, LibraryOptions& where) {
    sub.add_option("--library", where.library,
                   "the model library to load (default: QUENLOR_LIBRARY, else libquenlor.so beside this program)")
        ->type_name("FILE");
    sub.add_option("--data", where.data,
                   "directory of the two data files, at most 80 characters (default: QUENLOR_DATA, else the "
                   "library's directory when it holds them, else the source tree's data/)")
        ->type_name("DIR");
}

void addRunOptions(CLI::App& sub, SimulateOptions& o) {
    addLibraryOptions(sub, o.where);
    addInputOptions(sub, o.inputs);
    sub.add_option("-o,--output", o.output, "output folder, created when missing")->capture_default_str()
        ->type_name("DIR");
    sub.add_option("--per-decade", o.perDecade, "samples per decade of time")
        ->capture_default_str()
        ->check(CLI::Range(2, 2000));
    sub.add_option("--smoothing", o.smoothing, "Bourdet derivative window L, in log cycles")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 2.0));
    sub.add_flag("!--no-plots", o.plots, "write the CSV and the gnuplot scripts only");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"quenlor " QUENLOR_VERSION ": run, plot and check the fractured-well fall-off model"};
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", std::string(QUENLOR_VERSION));

    SimulateOptions simulate;
    auto* sim = app.add_subcommand("simulate", "run the model and write the response, a fall-off and their plots");
    addRunOptions(*sim, simulate);
    sim->add_option_function<double>(
           "--injection-hours", [&](const double& h) { simulate.injectionHours = h; },
           "injection time of the superposed fall-off, hours (default: the model's own shut-in time)")
        ->type_name("HOURS")
        ->check(CLI::PositiveNumber);
    std::string alpha = "1";
    sim->add_option("--g-alpha", alpha, "fracture growth exponent of the G-function: 1 or 0.5")
        ->capture_default_str()
        ->check(CLI::IsMember({"1", "0.5"}));

    CatalogueOptions catalogue;
    auto* cat = app.add_subcommand("catalogue", "list the model's parameters as the host shows them");
    cat->add_option("--library", catalogue.library, "the model library to load")->type_name("FILE");
    cat->add_flag("--csv", catalogue.csv, "print CSV instead of a table");

    CheckOptions check;
    auto* chk = app.add_subcommand("check", "read a data directory as the model does and report every problem");
    chk->add_option("DIR", check.directory, "the data directory")->required();
    addInputOptions(*chk, check.inputs);

    SensitivityOptions sensitivity;
    sensitivity.run.output = "quenlor-output";
    auto* sen = app.add_subcommand("sensitivity", "overlay the responses for several values of one parameter");
    sen->add_option("PARAM", sensitivity.parameter, "catalogue short or long name")->required();
    sen->add_option("--values", sensitivity.values, "comma-separated values (default: 0.5, 1 and 2 times the base)")
        ->delimiter(',')
        ->type_name("V1,V2,...");
    addRunOptions(*sen, sensitivity.run);

    FitOptions fit;
    auto* fitCommand = app.add_subcommand("fit", "match the model's fall-off to a measured one (nonlinear least squares)");
    fitCommand->add_option("DATA", fit.dataFile, "CSV of shut-in time (hours) and pressure (psi)")->required();
    fitCommand->add_option("--fit", fit.fit, "the parameters to fit (catalogue short or long names), e.g. --fit Xf,FcD")
        ->delimiter(',')
        ->type_name("NAME,...");
    fitCommand->add_option("--bounds", fit.bounds, "bounds of a fitted parameter (default: the catalogue's range)")
        ->type_name("NAME=LOW:HIGH");
    fitCommand->add_option("--scale", fit.scales, "solve for ln v (log) or v (linear) (default: log when the range "
                                                  "spans decades)")
        ->type_name("NAME=log|linear");
    fitCommand
        ->add_option_function<double>(
            "--injection-hours", [&](const double& h) { fit.injectionHours = h; },
            "duration of the injection before shut-in, hours (or 'hours' in the case file's [injection])")
        ->type_name("HOURS")
        ->check(CLI::PositiveNumber);
    fitCommand
        ->add_option_function<double>(
            "--rate", [&](const double& q) { fit.rate = q; },
            "injection rate times formation volume factor, bbl/day: the layer's qB (or 'rate' in [injection])")
        ->type_name("BBL/DAY")
        ->check(CLI::PositiveNumber);
    fitCommand->add_flag("--pressure-change", fit.pressureChange,
                         "the second column is the pressure change since shut-in, not the gauge pressure");
    fitCommand
        ->add_option_function<double>(
            "--shut-in-pressure", [&](const double& p) { fit.shutInPressure = p; },
            "gauge pressure at shut-in, psi (default: the row at time 0)")
        ->type_name("PSI");
    fitCommand->add_option("--derivative-weight", fit.derivativeWeight,
                           "weight of the squared Bourdet-derivative differences (0: pressure change only)")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    fitCommand->add_option("--smoothing", fit.smoothing, "Bourdet derivative window L, in log cycles")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 2.0));
    fitCommand->add_option("--confidence", fit.confidence, "confidence level of the intervals")
        ->capture_default_str()
        ->check(CLI::Range(0.5, 0.9999));
    fitCommand->add_option("--max-iterations", fit.maxIterations, "iterations of the solver")
        ->capture_default_str()
        ->check(CLI::Range(1, 10000));
    fitCommand->add_option("--threads", fit.threads, "threads for the Jacobian (default: the machine's cores)")
        ->check(CLI::Range(1, 1024));
    fitCommand->add_flag("--trace", fit.trace, "print the misfit and the values at every iteration");
    fitCommand->add_option("--data", fit.data,
                           "directory of the two data files, at most 80 characters (default: QUENLOR_DATA, else the "
                           "source tree's data/)")
        ->type_name("DIR");
    addInputOptions(*fitCommand, fit.inputs);
    fitCommand->add_option("-o,--output", fit.output, "output folder, created when missing")
        ->capture_default_str()
        ->type_name("DIR");
    std::string fitAlpha = "1";
    fitCommand->add_option("--g-alpha", fitAlpha, "fracture growth exponent of the G-function: 1 or 0.5")
        ->capture_default_str()
        ->check(CLI::IsMember({"1", "0.5"}));
    fitCommand->add_flag("!--no-plots", fit.plots, "write the CSV and the gnuplot scripts only");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        std::fprintf(stderr, "quenlor: %s (see quenlor --help)\n", e.what());
        return kExitUsage;
    }

    if (app.get_subcommands().empty()) {
        std::fprintf(stderr,
                     "quenlor: a command is required: simulate, catalogue, check, sensitivity or fit (see quenlor "
                     "--help)\n");
        return kExitUsage;
    }
    simulate.gAlpha = alpha == "0.5" ? GAlpha::squareRoot : GAlpha::linear;
    if (sim->parsed()) return runSimulate(simulate);
    if (cat->parsed()) return runCatalogue(catalogue);
    if (chk->parsed()) return runCheck(check);
    fit.gAlpha = fitAlpha == "0.5" ? GAlpha::squareRoot : GAlpha::linear;
    if (fitCommand->parsed()) return runFit(fit);
    return runSensitivity(sensitivity);
}
