// The screenshot's check of the caption's close button, on glyphs drawn here: a cross passes;
// the letter Wine draws without its symbol font, an empty face, a bar, a frame and a face
// dark all over do not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "screenshot.h"

namespace {

// A grey 20 x 20 button at (10, 10) of a 40 x 40 image, its glyph from rows of '#'.
driver::Image Button(const std::vector<std::string>& glyph)
{
    driver::Image image;
    image.width = image.height = 40;
    image.rgb.assign(40 * 40 * 3, 192);
    for (size_t row = 0; row < glyph.size(); ++row)
        for (size_t column = 0; column < glyph[row].size(); ++column)
            if (glyph[row][column] == '#')
                for (int c = 0; c < 3; ++c)
                    image.rgb[((14 + row) * 40 + 14 + column) * 3 + c] = 0;
    return image;
}

std::vector<std::string> Cross(int size)
{
    std::vector<std::string> rows(size, std::string(size, '.'));
    for (int i = 0; i < size; ++i)
        rows[i][i] = rows[i][size - 1 - i] = '#';
    return rows;
}

} // namespace

TEST(CloseButton, OnlyACrossCounts)
{
    const RECT button = {10, 10, 30, 30};
    EXPECT_TRUE(driver::ShowsCross(Button(Cross(8)), button));
    EXPECT_TRUE(driver::ShowsCross(Button(Cross(11)), button));
    const std::vector<std::string> letterR = {"#.###", "##...", "#....", "#....",
                                              "#....", "#....", "#...."};
    EXPECT_FALSE(driver::ShowsCross(Button(letterR), button));
    EXPECT_FALSE(driver::ShowsCross(Button({}), button));
    EXPECT_FALSE(driver::ShowsCross(Button({"########"}), button));
    std::vector<std::string> box(8, "#......#");
    box.front() = box.back() = "########";
    EXPECT_FALSE(driver::ShowsCross(Button(box), button));
    EXPECT_FALSE(
        driver::ShowsCross(Button(std::vector<std::string>(16, std::string(16, '#'))), button));
}
