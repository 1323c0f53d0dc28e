#include <gtest/gtest.h>

#include <vector>

#include "local_time.h"
#include "records/record_names.h"

TEST(RecordNames, SuggestedNamesCarryTheMomentOfThePress)
{
    struct Case
    {
        SYSTEMTIME time;
        const wchar_t* log;
        const wchar_t* transcript;
    } cases[] = {
        {At(2026, 12, 6, 18, 25, 23), L"Session log 2026-12-06 18-25-23.txt",
         L"Transcript 182523.txt"},
        {At(2027, 1, 2, 3, 4, 5), L"Session log 2027-01-02 03-04-05.txt", L"Transcript 030405.txt"},
        {At(999, 9, 30, 0, 0, 0), L"Session log 999-09-30 00-00-00.txt", L"Transcript 000000.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SuggestedLogName(c.time), c.log);
        EXPECT_EQ(SuggestedTranscriptName(c.time), c.transcript);
    }
}

TEST(RecordNames, SaveMarkerIsABlankTheTimeAndFortyTwoHyphens)
{
    std::vector<std::wstring> expected = {L"", L"Session saved at: 18:25:23",
                                          std::wstring(42, L'-')};
    EXPECT_EQ(SaveMarkerLines(At(2026, 12, 6, 18, 25, 23)), expected);
    EXPECT_EQ(SaveMarkerLines(At(2026, 1, 1, 7, 0, 9))[1], L"Session saved at: 07:00:09");
}

TEST(RecordNames, ExportKeepsLineBreaksAndAddsNothing)
{
    struct Case
    {
        std::wstring text;
        std::string bytes;
    } cases[] = {
        {L"First paragraph.\r\nSecond one.", "First paragraph.\r\nSecond one."},
        {L"ends with a break\r\n", "ends with a break\r\n"},
        {L"caf\u00e9 \u00ff", "caf\xe9 \xff"},
        {L"5 \u20ac and \U0001F600 more", "5 ? and ? more"},
        {L"x", "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExportBytes(c.text), c.bytes);
}
