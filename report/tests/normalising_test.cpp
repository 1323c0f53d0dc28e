// The words that accuracy counts on, and the encodings they come in.
#include <gtest/gtest.h>

#include "reference_text.h"
#include "text_encoding.h"
#include "word_normalising.h"

TEST(Normalising, FoldsCaseDropsPunctuationKeepsInnerApostrophes)
{
    struct Case
    {
        std::u32string text;
        std::vector<std::string> words;
    } cases[] = {
        {U"Hello, World!", {"hello", "world"}},
        {U"It's the dogs' \u2018bone\u2019.", {"it's", "the", "dogs", "bone"}},
        {U"rock\u2019n\u2019roll", {"rock'n'roll"}},
        {U"'quoted' ''", {"quoted"}},
        {U"well-known  and/or \u2014 that", {"well", "known", "and", "or", "that"}},
        {U"U.S.A. 3.5 100%", {"usa", "35", "100"}},
        {U"CAF\u00c9 Na\u00cfve \u0141\u00d3D\u0179",
         {"caf\xc3\xa9", "na\xc3\xafve", "\xc5\x82\xc3\xb3\x64\xc5\xba"}},
        {U"\u039a\u0391\u039b\u0397 \u041c\u0418\u0420",
         {"\xce\xba\xce\xb1\xce\xbb\xce\xb7", "\xd0\xbc\xd0\xb8\xd1\x80"}},
        {U"  \t\r\n ", {}},
        {U"...", {}},
        {U"(null)", {"null"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalisedWords(c.text), c.words) << ToUtf8(c.text);
}

TEST(Encoding, Utf8WhereItIsLatin1Otherwise)
{
    struct Case
    {
        std::string bytes;
        std::u32string text;
    } cases[] = {
        {"caf\xc3\xa9", U"caf\u00e9"},
        {"\xef\xbb\xbf"
         "bom",
         U"bom"},
        {"caf\xe9", U"caf\u00e9"},
        {"\xc3", U"\u00c3"},
        {"\xe2\x82\xac", U"\u20ac"},
        {"\xf0\x9f\x98\x80", U"\U0001F600"},
        {"\xc0\xaf", U"\u00c0\u00af"},                     // overlong: not UTF-8
        {"\xed\xa0\x80", U"\u00ed\u00a0\u0080"},           // a surrogate: not UTF-8
        {"\xf4\x90\x80\x80", U"\u00f4\u0090\u0080\u0080"}, // beyond U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeText(c.bytes), c.text) << c.bytes;
        EXPECT_EQ(DecodeText(ToUtf8(c.text)), c.text) << c.bytes;
    }
    EXPECT_EQ(Latin1ToUtf8("\xe9\xff"), "\xc3\xa9\xc3\xbf");
}

TEST(Reference, OneLinePerUtteranceBlankLinesSkipped)
{
    ReferenceText reference = ReferenceFromBytes("First line.\r\n\r\n  \nSecond, line\nthird");
    ASSERT_EQ(reference.lines.size(), 3u);
    EXPECT_EQ(reference.lines[1], (std::vector<std::string>{"second", "line"}));
    EXPECT_EQ(reference.WordCount(), 5u);
    EXPECT_TRUE(ReferenceFromBytes("").lines.empty());
}
