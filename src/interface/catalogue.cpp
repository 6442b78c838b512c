#include "interface/catalogue.h"

#include <cstring>

#include "state/constants.h"

namespace quenlor {

namespace {

constexpr double kOpen = 1.0e30;  // an open upper end

const CatalogueEntry kCatalogue[12] = {
    {"Wellbore Volume", "Vw", kF0_1, kOpen, 300.0, 26},
    {"Fracture Face Skin", "S(Fracture)", 0.0, 10000.0, 0.0, 30},
    {"Fracture Half Length", "Xf", 0.5, kOpen, 200.0, 2},
    {"1st Frac part-Height", "hf1", 0.5, kOpen, 15.0, 2},
    {"2st Frac part-Height", "hf2", 0.5, kOpen, 15.0, 2},
    {"Dimensionless Fracture Conductivity", "FcD", kF0_2, kOpen, 1.0, 30},
    {"1st Stress Ht Contrast", "S1", 0.0, kOpen, 20.0, 1},
    {"2nd Stress Ht Contrast", "S2", 0.0, kOpen, 20.0, 1},
    {"Time Fracture Close", "t(close)", 0.0, kOpen, kF0_01, 0},
    {"Shrinkage delay", "Shrinkage delay", 0.0, kOpen, 2.0, 30},
    {"Young modulus", "Young's modulus", 10000.0, kOpen, 130000.0, 1},
    {"Poisson ratio", "Poisson's ratio", kF0_01, kF0_99, 0.25, 30},
};

}  // namespace

const CatalogueEntry* catalogueEntry(int index) {
    if (index < 1 || index > 12) return nullptr;
    return &kCatalogue[index - 1];
}

void writeTextField(char* field, const char* text) {
    std::size_t n = std::strlen(text);
    if (n > kTextFieldLength - 1) n = kTextFieldLength - 1;
    std::memcpy(field, text, n);
    field[n] = '\0';
    std::memset(field + n + 1, ' ', kTextFieldLength - n - 1);
}

}  // namespace quenlor
