#include <gtest/gtest.h>

#include "word_alignment.h"

TEST(Alignment, Placeholder)
{
    EXPECT_EQ(CountEdits(AlignWords({1, 2}, {1, 3})).substitutions, 1);
}
