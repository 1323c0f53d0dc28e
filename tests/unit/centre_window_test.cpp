#include <gtest/gtest.h>

#include "app/centre_window.h"

TEST(CentreWindow, CentresOnTheReferenceAndStaysInsideTheWorkArea)
{
    const RECT work = {0, 0, 1000, 800};
    struct Case
    {
        RECT reference;
        POINT expected;
    } cases[] = {
        {{0, 0, 1000, 800}, {400, 300}},     // the work area itself
        {{100, 100, 300, 300}, {100, 100}},  // centred on a small owner
        {{0, 0, 100, 100}, {0, 0}},          // owner in the corner: pushed inside
        {{900, 700, 1100, 900}, {800, 600}}, // owner past the right and bottom edges
        {{-500, -500, -100, -100}, {0, 0}},  // owner off screen to the top left
    };
    for (const Case& c : cases) {
        POINT at = CentredPosition({200, 200}, c.reference, work);
        EXPECT_EQ(at.x, c.expected.x);
        EXPECT_EQ(at.y, c.expected.y);
    }
}

TEST(CentreWindow, AWindowLargerThanTheWorkAreaKeepsItsTopLeftCornerVisible)
{
    POINT at = CentredPosition({1200, 900}, {0, 0, 1000, 800}, {0, 0, 1000, 800});
    EXPECT_EQ(at.x, 0);
    EXPECT_EQ(at.y, 0);
}
