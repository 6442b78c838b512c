#include "case_inputs.h"

#include <toml++/toml.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "state/default_case.h"

namespace quenlor {

namespace {

std::string shortNames(const std::vector<CatalogueInfo>& catalogue) {
    std::string list;
    for (const CatalogueInfo& e : catalogue) list += (list.empty() ? "" : ", ") + e.shortName;
    return list;
}

std::string layerSymbols() {
    std::string list;
    for (const LayerField& f : layerFields()) list += std::string(list.empty() ? "" : ", ") + f.symbol;
    return list;
}

std::string formatValue(double v) {
    std::ostringstream s;
    s.precision(17);
    s << v;
    return s.str();
}

}  // namespace

const std::vector<LayerField>& layerFields() {
    static const std::vector<LayerField> fields = {
        {"permeability", "permeability", "k", kPermeability, "md", "permeability"},
        {"thickness", "thickness", "h", kThickness, "ft", "layer thickness"},
        {"wellRadius", "well-radius", "rw", kWellRadius, "ft", "well radius"},
        {"viscosity", "viscosity", "mu", kViscosity, "cp", "viscosity"},
        {"totalCompressibility", "total-compressibility", "ct", kTotalCompressibility, "1/psi",
         "total compressibility"},
        {"porosity", "porosity", "phi", kPorosity, "fraction", "porosity"},
        {"rateFactor", "rate-factor", "qB", kRateFactor, "bbl/day", "rate times formation volume factor"},
    };
    return fields;
}

ModelInputs defaultInputs(const std::vector<CatalogueInfo>& catalogue) {
    ModelInputs inputs;
    for (std::size_t i = 0; i < catalogue.size() && i < inputs.parameters.size(); ++i)
        inputs.parameters[i] = catalogue[i].defaultValue;
    for (int i = 0; i < kHostLayerValueCount; ++i) inputs.layer[i] = kDefaultLayerValues[i];
    return inputs;
}

std::string normaliseName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z') out += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += c;
    }
    return out;
}

int findParameter(const std::vector<CatalogueInfo>& catalogue, std::string_view name) {
    const std::string key = normaliseName(name);
    if (key.empty()) return -1;
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        if (normaliseName(catalogue[i].shortName) == key || normaliseName(catalogue[i].longName) == key)
            return static_cast<int>(i);
    }
    return -1;
}

int findLayerValue(std::string_view name) {
    const std::string key = normaliseName(name);
    if (key.empty()) return -1;
    for (const LayerField& f : layerFields()) {
        if (normaliseName(f.word) == key || normaliseName(f.symbol) == key) return f.hostIndex;
    }
    return -1;
}

bool parseNumber(std::string_view text, double& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    // Decimal notation only: from_chars would also take "inf" and "nan".
    for (char c : text) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed) return false;
    }
    double v = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

void applySetting(const std::vector<CatalogueInfo>& catalogue, ModelInputs& inputs, std::string_view name,
                  std::string_view value, const std::string& where) {
    double v = 0.0;
    const int parameter = findParameter(catalogue, name);
    const int layer = parameter < 0 ? findLayerValue(name) : -1;
    if (parameter < 0 && layer < 0) {
        throw InputError(where + "unknown parameter '" + std::string(name) + "' (parameters: " + shortNames(catalogue) +
                         " or their long names; layer values: " + layerSymbols() + " or their words)");
    }
    if (!parseNumber(value, v)) {
        throw InputError(where + "the value of " + std::string(name) + ", '" + std::string(value) +
                         "', is not a number");
    }
    if (parameter >= 0) inputs.parameters[parameter] = v;
    else inputs.layer[layer] = v;
}

void applyAssignment(const std::vector<CatalogueInfo>& catalogue, ModelInputs& inputs, std::string_view assignment) {
    const std::size_t eq = assignment.find('=');
    if (eq == std::string_view::npos)
        throw InputError("'" + std::string(assignment) + "' is not of the form NAME=VALUE");
    applySetting(catalogue, inputs, assignment.substr(0, eq), assignment.substr(eq + 1), "");
}

void readCaseFile(const std::string& path, const std::vector<CatalogueInfo>& catalogue, ModelInputs& inputs,
                  const std::vector<std::string>& otherSections) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError("cannot read the case file " + path);
    toml::table table;
    try {
        table = toml::parse(in, path);
    } catch (const toml::parse_error& e) {
        const auto& at = e.source().begin;
        throw InputError(path + " line " + std::to_string(at.line) + ", column " + std::to_string(at.column) + ": " +
                         std::string(e.description()));
    }

    auto where = [&](const toml::node& node) {
        return path + " line " + std::to_string(node.source().begin.line) + ": ";
    };
    // One "name = value" entry; section 1 takes parameters only, 2 layer values only.
    std::set<int> set;
    auto apply = [&](std::string_view key, const toml::node& node, int section) {
        double v = 0.0;
        if (auto f = node.as_floating_point()) v = f->get();
        else if (auto i = node.as_integer()) v = static_cast<double>(i->get());
        else throw InputError(where(node) + "the value of " + std::string(key) + " is not a number");
        const int parameter = section == 2 ? -1 : findParameter(catalogue, key);
        const int layer = section == 1 || parameter >= 0 ? -1 : findLayerValue(key);
        if (parameter < 0 && layer < 0) {
            const char* what = section == 1 ? "parameter" : section == 2 ? "layer value" : "name";
            throw InputError(where(node) + "unknown " + what + " '" + std::string(key) + "' (parameters: " +
                             shortNames(catalogue) + " or their long names; layer values: " + layerSymbols() +
                             " or their words)");
        }
        if (!std::isfinite(v)) throw InputError(where(node) + "the value of " + std::string(key) + " is not finite");
        // Two spellings of one name would leave the value to the file's key order.
        const int slot = parameter >= 0 ? parameter : kHostParameterCount + layer;
        if (!set.insert(slot).second)
            throw InputError(where(node) + std::string(key) + " names a value the file has already set");
        if (parameter >= 0) inputs.parameters[parameter] = v;
        else inputs.layer[layer] = v;
    };

    for (const auto& [key, node] : table) {
        const std::string_view name = key.str();
        if (const toml::table* section = node.as_table()) {
            int kind = 0;
            if (normaliseName(name) == "parameters") kind = 1;
            else if (normaliseName(name) == "layer") kind = 2;
            else if (std::find(otherSections.begin(), otherSections.end(), normaliseName(name)) != otherSections.end())
                continue;
            else
                throw InputError(where(node) + "unknown section [" + std::string(name) +
                                 "] (the sections are [parameters] and [layer])");
            for (const auto& [innerKey, inner] : *section) apply(innerKey.str(), inner, kind);
        } else {
            apply(name, node, 0);
        }
    }
}

std::vector<std::string> rangeWarnings(const std::vector<CatalogueInfo>& catalogue, const ModelInputs& inputs) {
    std::vector<std::string> warnings;
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const CatalogueInfo& e = catalogue[i];
        const double v = inputs.parameters[i];
        if (v < e.minimum || v > e.maximum) {
            warnings.push_back(e.shortName + " = " + formatValue(v) + " is outside the catalogue's range " +
                               formatValue(e.minimum) + " to " + formatValue(e.maximum) +
                               " (used as given, as the host would)");
        }
    }
    return warnings;
}

void requireUsable(const std::vector<CatalogueInfo>& catalogue, const ModelInputs& inputs) {
    for (const LayerField& f : layerFields()) {
        const double v = inputs.layer[f.hostIndex];
        if (!(v > 0.0))
            throw InputError(std::string("the ") + f.description + " (" + f.symbol + ") is " + formatValue(v) +
                             "; it must be positive");
    }
    const auto positive = [&](int index) {
        const double v = inputs.parameters[index];
        if (!(v > 0.0))
            throw InputError(catalogue[index].shortName + " is " + formatValue(v) +
                             "; it must be positive for the dimensionless groups");
    };
    positive(kHalfLengthIndex);
    positive(kYoungModulusIndex);
    const double ce = effectiveCompressibility(inputs);
    if (!(ce > 0.0) || !std::isfinite(ce))
        throw InputError("the effective compressibility ct + 3(1 - 2 nu)/(E phi) is " + formatValue(ce) +
                         "; it must be positive (check Poisson's ratio)");
}

double effectiveCompressibility(const ModelInputs& inputs) {
    const double nu = inputs.parameters[kPoissonRatioIndex];
    const double e = inputs.parameters[kYoungModulusIndex];
    return inputs.layer[kTotalCompressibility] + 3.0 * (1.0 - 2.0 * nu) / (e * inputs.layer[kPorosity]);
}

}  // namespace quenlor
