#include "interface/catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace quenlor {
namespace {

TEST(TextField, IsTheTextThenOneNulThenBlanksToEightyBytes) {
    char field[81];
    std::memset(field, 'x', sizeof field);
    writeTextField(field, "Quenlor");
    EXPECT_EQ(std::string(field, 7), "Quenlor");
    EXPECT_EQ(field[7], '\0');
    for (int i = 8; i < 80; ++i) EXPECT_EQ(field[i], ' ') << i;
    EXPECT_EQ(field[80], 'x');  // nothing written beyond the field
}

TEST(Catalogue, WidenedSinglePrecisionValuesAreHandedOverExactly) {
    EXPECT_EQ(catalogueEntry(1)->minimum, 0.10000000149011612);
    EXPECT_EQ(catalogueEntry(6)->minimum, 0.20000000298023224);
    EXPECT_EQ(catalogueEntry(9)->defaultValue, 0.009999999776482582);
    EXPECT_EQ(catalogueEntry(12)->minimum, 0.009999999776482582);
    EXPECT_EQ(catalogueEntry(12)->maximum, 0.9900000095367432);
}

TEST(Catalogue, IndicesOutsideOneToTwelveHaveNoEntry) {
    for (int i : {-5, 0, 13, 1000}) EXPECT_EQ(catalogueEntry(i), nullptr) << i;
    for (int i = 1; i <= 12; ++i) EXPECT_NE(catalogueEntry(i), nullptr) << i;
}

}  // namespace
}  // namespace quenlor
