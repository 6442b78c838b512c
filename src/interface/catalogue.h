// The model's name and its catalogue of twelve real parameters, as the
// host shows them, and the 80-byte text fields they are handed over in.
//
// Text field: the text, one NUL byte, then blanks up to byte 80.
// Values marked as single precision in the catalogue (0.1, 0.2, 0.01 and
// 0.99) are handed over as those float values widened to double.
#pragma once

#include <cstdint>

namespace quenlor {

inline constexpr int kTextFieldLength = 80;

struct CatalogueEntry {
    const char* longName;
    const char* shortName;
    double minimum;
    double maximum;
    double defaultValue;
    std::int32_t unitCode;
};

inline constexpr char kModelName[] = "Quenlor";

// Entry for index 1..12; null for any other index.
const CatalogueEntry* catalogueEntry(int index);

// Writes text as an 80-byte field: text (cut at 79), NUL, blanks.
void writeTextField(char* field, const char* text);

}  // namespace quenlor
