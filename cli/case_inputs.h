// The inputs of one model run as the command line gathers them: the twelve
// catalogue parameters and the host's nine layer values.
//
// Parameters are named by their catalogue short or long name; layer values
// by a word (permeability, thickness, wellRadius, viscosity,
// totalCompressibility, porosity, rateFactor) or its usual symbol (k, h,
// rw, mu, ct, phi, qB). Names match without regard to case, blanks or
// punctuation ("Young's modulus" = youngsmodulus = YOUNGS-MODULUS).
//
// A case file is TOML-style text: "name = value" lines, '#' comments, an
// optional [parameters] and [layer] section. Values are plain decimal
// numbers (optional sign, point and exponent) and must be finite.
//
// Values outside the catalogue's range are allowed, as the host allows
// them, with a warning; values that leave the dimensionless groups
// undefined (a non-positive layer value, half length or Young's modulus,
// a non-positive effective compressibility) are errors.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model_library.h"

namespace quenlor {

// A bad name, number or value in the inputs: the message is one line.
struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ModelInputs {
    std::array<double, kHostParameterCount> parameters{};  // catalogue order
    std::array<double, kHostLayerValueCount> layer{};      // the host's order; values 4 and 5 unused
};

// Catalogue indices (0-based) of the parameters the unit conversions use.
inline constexpr int kHalfLengthIndex = 2;
inline constexpr int kClosureTimeIndex = 8;
inline constexpr int kYoungModulusIndex = 10;
inline constexpr int kPoissonRatioIndex = 11;

// Host positions (0-based) of the used layer values.
enum LayerIndex : int {
    kPermeability = 0,
    kThickness = 1,
    kWellRadius = 2,
    kViscosity = 5,
    kTotalCompressibility = 6,
    kPorosity = 7,
    kRateFactor = 8,
};

struct LayerField {
    const char* word;    // its name in -p and case files
    const char* option;  // its command-line option, without the dashes
    const char* symbol;  // the usual symbol, also a name in -p and case files
    int hostIndex;
    const char* unit;
    const char* description;
};

// The seven used layer values, in host order.
const std::vector<LayerField>& layerFields();

// Catalogue defaults and the documented default layer.
ModelInputs defaultInputs(const std::vector<CatalogueInfo>& catalogue);

// Lower case letters and digits only.
std::string normaliseName(std::string_view name);

// 0-based catalogue index of a short or long name, or -1.
int findParameter(const std::vector<CatalogueInfo>& catalogue, std::string_view name);

// Host index of a layer value's word or symbol, or -1.
int findLayerValue(std::string_view name);

// The whole text as a finite decimal number; false if it is not one.
bool parseNumber(std::string_view text, double& value);

// Applies "NAME=VALUE" (a parameter or a layer value). `where` prefixes
// the messages (for example the case file and line).
void applySetting(const std::vector<CatalogueInfo>& catalogue, ModelInputs& inputs, std::string_view name,
                  std::string_view value, const std::string& where);
void applyAssignment(const std::vector<CatalogueInfo>& catalogue, ModelInputs& inputs, std::string_view assignment);

// Reads a case file into inputs (values it does not name keep theirs).
// Sections named in otherSections (by their normalised names) are left
// for the caller to read.
void readCaseFile(const std::string& path, const std::vector<CatalogueInfo>& catalogue, ModelInputs& inputs,
                  const std::vector<std::string>& otherSections = {});

// One line for each value outside the catalogue's range.
std::vector<std::string> rangeWarnings(const std::vector<CatalogueInfo>& catalogue, const ModelInputs& inputs);

// Throws InputError when the dimensionless groups cannot be formed.
void requireUsable(const std::vector<CatalogueInfo>& catalogue, const ModelInputs& inputs);

// ce = ct + 3 (1 - 2 nu) / (E phi), 1/psi.
double effectiveCompressibility(const ModelInputs& inputs);

}  // namespace quenlor
