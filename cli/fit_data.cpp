#include "fit_data.h"

#include <fmt/format.h>
#include <toml++/toml.h>

#include <cmath>
#include <fstream>
#include <string_view>

#include "case_inputs.h"

namespace quenlor {

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    while (true) {
        const std::size_t comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) return fields;
        line.remove_prefix(comma + 1);
    }
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

}  // namespace

MeasuredFallOff readMeasuredFallOff(const std::string& path, PressureColumn column,
                                    std::optional<double> shutInPressure) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError("cannot read the data file " + path);

    MeasuredFallOff data;
    data.path = path;
    std::vector<double> times, pressures;
    std::vector<int> lines;
    bool seenRow = false;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        const std::string_view line = trimmed(text);
        if (line.empty() || line.front() == '#') continue;
        const std::vector<std::string_view> fields = splitFields(line);
        const std::string where = fmt::format("{} line {}", path, number);
        double t = 0.0;
        if (!seenRow && !parseNumber(trimmed(fields[0]), t)) {
            seenRow = true;  // a header
            continue;
        }
        seenRow = true;
        if (fields.size() < 2)
            throw InputError(where + ": a row needs two fields, shut-in time (hours) and pressure (psi)");
        const std::string_view timeText = trimmed(fields[0]);
        const std::string_view pressureText = trimmed(fields[1]);
        double p = 0.0;
        if (!parseNumber(timeText, t))
            throw InputError(fmt::format("{}, field 1: the time '{}' is not a number", where, timeText));
        if (!parseNumber(pressureText, p))
            throw InputError(fmt::format("{}, field 2: the pressure '{}' is not a number", where, pressureText));
        if (t < 0.0)
            throw InputError(fmt::format("{}: the time {} h is negative; times are hours since shut-in", where, t));
        if (!times.empty() && t == times.back())
            throw InputError(fmt::format("{}: the time {} h repeats the time of line {}", where, t, lines.back()));
        if (!times.empty() && t < times.back())
            throw InputError(fmt::format("{}: the time {} h comes after {} h (line {}); times must increase", where, t,
                                         times.back(), lines.back()));
        times.push_back(t);
        pressures.push_back(p);
        lines.push_back(number);
    }

    std::size_t first = 0;
    if (!times.empty() && times.front() == 0.0) {
        first = 1;
        if (column == PressureColumn::gauge && !shutInPressure) shutInPressure = pressures.front();
    }
    if (column == PressureColumn::gauge) {
        if (!shutInPressure)
            throw InputError("the data file " + path +
                             " has no row at time 0 for the shut-in pressure; give --shut-in-pressure, or "
                             "--pressure-change when the second column is already the change since shut-in");
        data.shutInPressure = shutInPressure;
    }
    for (std::size_t i = first; i < times.size(); ++i) {
        data.shutInHours.push_back(times[i]);
        data.pressureChange.push_back(column == PressureColumn::gauge ? *shutInPressure - pressures[i] : pressures[i]);
        data.lines.push_back(lines[i]);
    }
    if (data.shutInHours.empty()) throw InputError("the data file " + path + " has no measurements after shut-in");
    return data;
}

InjectionSettings readInjectionSettings(const std::string& caseFile) {
    InjectionSettings settings;
    std::ifstream in(caseFile, std::ios::binary);
    if (!in) throw InputError("cannot read the case file " + caseFile);
    toml::table table;
    try {
        table = toml::parse(in, caseFile);
    } catch (const toml::parse_error& e) {
        const auto& at = e.source().begin;
        throw InputError(fmt::format("{} line {}, column {}: {}", caseFile, at.line, at.column, e.description()));
    }
    const auto where = [&](const toml::node& node) {
        return fmt::format("{} line {}: ", caseFile, node.source().begin.line);
    };
    const toml::node* rateNode = nullptr;
    const toml::node* rateFactorNode = nullptr;
    const auto isRateFactor = [](std::string_view key) { return findLayerValue(key) == kRateFactor; };
    for (const auto& [key, node] : table) {
        const std::string name = normaliseName(key.str());
        if (const toml::table* section = node.as_table()) {
            if (name == "layer") {
                for (const auto& [inner, value] : *section)
                    if (isRateFactor(inner.str())) rateFactorNode = &value;
            }
            if (name != "injection") continue;
            for (const auto& [inner, value] : *section) {
                const std::string innerName = normaliseName(inner.str());
                double v = 0.0;
                if (auto f = value.as_floating_point()) v = f->get();
                else if (auto i = value.as_integer()) v = static_cast<double>(i->get());
                else throw InputError(where(value) + "the value of " + std::string(inner.str()) + " is not a number");
                if (innerName != "hours" && innerName != "rate")
                    throw InputError(where(value) + "unknown name '" + std::string(inner.str()) +
                                     "' in [injection] (the names are hours and rate)");
                if (!(v > 0.0) || !std::isfinite(v))
                    throw InputError(where(value) + "the injection " + innerName + " is " + fmt::format("{}", v) +
                                     "; it must be positive");
                if (innerName == "hours") settings.hours = v;
                else {
                    settings.rate = v;
                    rateNode = &value;
                }
            }
        } else if (isRateFactor(key.str())) {
            rateFactorNode = &node;
        }
    }
    if (rateNode && rateFactorNode)
        throw InputError(where(*rateNode) + "the injection rate sets qB, which line " +
                         std::to_string(rateFactorNode->source().begin.line) + " sets as well");
    return settings;
}

}  // namespace quenlor
