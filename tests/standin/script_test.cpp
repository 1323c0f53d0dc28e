// The grammar of scenario files and requests, and the test-side builders that write it.
#include "standin_control.h"

#include "core/script.h"
#include "core/text.h"

#include <gtest/gtest.h>

using namespace standin;

TEST(Script, BadLinesAreNamedByNumberAndReason)
{
    struct Case
    {
        const char* text;
        int line;
        const char* reason;
    };
    const Case cases[] = {
        {"speaker Ann\nversion 1 2\n", 2, "missing version"},
        {"# comment\n\nfrobnicate 3\n", 3, "unknown keyword 'frobnicate'"},
        {"fail IDgnEngineControl.get_Speakers E_FAIL\n", 1, "unknown operation"},
        {"fail IDgnEngineControl.get_Speaker E_WHATEVER\n", 1, "bad HRESULT"},
        {"fail IDgnEngineControl.get_Speaker E_FAIL nth 0\n", 1, "bad call number"},
        {"parameter 7 I8 5\n", 1, "unknown VARIANT type"},
        {"version 1 2 40000\n", 1, "bad version"},
        {"dictate\nword 5 a\n", 3, "without 'end'"},
        {"dictate\nword x a\nend\n", 2, "bad score"},
        {"speaker a\\qb\n", 1, "bad escape"},
        {"processing-ms -1\n", 1, "out of range"},
        {"listen\n", 1, "missing off, wav or mic"},
        {"listen wav\n", 1, "needs a file"},
        {"listen speaker\n", 1, "takes off, wav or mic"},
        {"listen off now\n", 1, "unexpected text"},
    };
    for (const Case& c : cases) {
        Script script = ParseScript(c.text);
        ASSERT_TRUE(script.error) << c.text;
        EXPECT_EQ(script.error->line, c.line) << c.text;
        EXPECT_NE(script.error->message.find(c.reason), std::string::npos)
            << c.text << " gave " << script.error->message;
        EXPECT_TRUE(script.commands.empty());
    }
}

TEST(Script, AListenSettingTakesAWindowsPathAsItIs)
{
    auto wav = ParseListenSetting(L" wav C:\\My Files\\a.wav ");
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->source, cmd::Listen::Wav);
    EXPECT_EQ(wav->argument, L"C:\\My Files\\a.wav");
    auto mic = ParseListenSetting(L"mic   ");
    ASSERT_TRUE(mic);
    EXPECT_EQ(mic->source, cmd::Listen::Mic);
    EXPECT_EQ(mic->argument, L"");
    EXPECT_EQ(ParseListenSetting(L"mic plughw:1")->argument, L"plughw:1");
    for (const wchar_t* bad : {L"", L"  ", L"wav", L"wav  ", L"speaker x", L"off now"})
        EXPECT_FALSE(ParseListenSetting(bad)) << bad;
}

TEST(Script, HResultsByNameHexAndDecimal)
{
    struct Case
    {
        const char* token;
        HRESULT expected;
    };
    const Case cases[] = {{"E_NOTIMPL", E_NOTIMPL},
                          {"0x80070057", E_INVALIDARG},
                          {"-2147467259", E_FAIL},
                          {"1", S_FALSE},
                          {"REGDB_E_CLASSNOTREG", REGDB_E_CLASSNOTREG}};
    for (const Case& c : cases)
        EXPECT_EQ(ParseHResult(c.token), c.expected) << c.token;
    EXPECT_FALSE(ParseHResult("0x1FFFFFFFF"));
    EXPECT_FALSE(ParseHResult("E_"));
}

TEST(Script, DictationRequestsSurviveTheirRoundTrip)
{
    Utterance u;
    u.words = {{80, L"Hello"},
               {-3, std::nullopt},
               {999, L"caf\u00E9 \u20AC\u6F22"},
               {5, std::wstring(300, L'x')},
               {7, L" padded\ttab "}};
    u.start = std::make_pair(1, -5);
    u.end = std::make_pair(0, 2147483647);
    u.phraseCount = -4;
    u.wordCount = 1000000;
    u.processingMs = 12.5;

    Script script = ParseScript(control::DictateLines(u));
    ASSERT_FALSE(script.error) << script.error->message;
    ASSERT_EQ(script.commands.size(), 1u);
    const Utterance& back = std::get<cmd::Dictate>(script.commands[0]).utterance;
    ASSERT_EQ(back.words.size(), u.words.size());
    for (size_t i = 0; i < u.words.size(); ++i) {
        EXPECT_EQ(back.words[i].score, u.words[i].score) << i;
        EXPECT_EQ(back.words[i].text, u.words[i].text) << i;
    }
    EXPECT_EQ(back.start, u.start);
    EXPECT_EQ(back.end, u.end);
    EXPECT_EQ(back.phraseCount, u.phraseCount);
    EXPECT_EQ(back.wordCount, u.wordCount);
    EXPECT_EQ(back.processingMs, u.processingMs);
}

TEST(Script, FailLinesSurviveTheirRoundTrip)
{
    FailureRule rules[3];
    rules[0] = {"DgnEngineControl.Create", REGDB_E_CLASSNOTREG, FailWhen::Always, 0, std::nullopt};
    rules[1] = {"IDgnResWord.get_Text", E_FAIL, FailWhen::NthCall, 3, L"No text \u00FF"};
    rules[2] = {"IConnectionPoint.Advise", E_OUTOFMEMORY, FailWhen::FromNthCall, 2, L""};
    for (const FailureRule& rule : rules) {
        Script script = ParseScript(control::FailLine(rule));
        ASSERT_FALSE(script.error) << control::FailLine(rule);
        const FailureRule& back = std::get<cmd::Fail>(script.commands[0]).rule;
        EXPECT_EQ(back.operation, rule.operation);
        EXPECT_EQ(back.result, rule.result);
        EXPECT_EQ(back.when, rule.when);
        EXPECT_EQ(back.n, rule.n);
        EXPECT_EQ(back.description, rule.description);
    }
}

TEST(Text, EscapesKeepEveryCharacterOnOneAsciiLine)
{
    const std::wstring texts[] = {L"", L"a\\b", L"tab\there\r\nline", L"\u00E9\u0100\uFFFF",
                                  L"\U0001F600 beyond the basic plane"};
    for (const std::wstring& text : texts) {
        std::string escaped = Escape(text);
        for (char c : escaped)
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << escaped;
        EXPECT_EQ(Unescape(escaped), text) << escaped;
    }
    EXPECT_EQ(Unescape("\\x{1F600}"), std::wstring(L"\U0001F600"));
    EXPECT_FALSE(Unescape("\\x{110000}"));
    EXPECT_FALSE(Unescape("trailing\\"));
}
