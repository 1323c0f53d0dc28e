#include <gtest/gtest.h>

#include "app/error_text.h"

TEST(ErrorText, OneLineWithoutAnErrorObject)
{
    EXPECT_EQ(ComposeHResultMessage(L"IDgnEngine::get_Speaker failed", E_FAIL, nullptr),
              L"IDgnEngine::get_Speaker failed (HRESULT 0x80004005)");
}

TEST(ErrorText, DescriptionOnASecondLineInQuotes)
{
    EXPECT_EQ(ComposeHResultMessage(L"Couldn't disable NatText", 0x80070057, L"bad feature"),
              L"Couldn't disable NatText (HRESULT 0x80070057)\n\"bad feature\"");
    EXPECT_EQ(ComposeHResultMessage(L"x", 0x80004001, L""), L"x (HRESULT 0x80004001)\n\"\"");
}

TEST(ErrorText, CodeIsUpperCaseHexWithoutLeadingZeros)
{
    EXPECT_EQ(ComposeHResultMessage(L"a", 0x1, nullptr), L"a (HRESULT 0x1)");
    EXPECT_EQ(ComposeHResultMessage(L"a", static_cast<HRESULT>(0x8000ABCD), nullptr),
              L"a (HRESULT 0x8000ABCD)");
}

TEST(ErrorText, OverLongDescriptionIsCutToTheBuffer)
{
    std::wstring description(5000, L'd');
    std::wstring message = ComposeHResultMessage(L"text", E_FAIL, description.c_str());
    EXPECT_EQ(message.size(), kErrorMessageCapacity - 1);
    EXPECT_EQ(message.substr(0, 30), L"text (HRESULT 0x80004005)\n\"ddd");
    EXPECT_EQ(message.back(), L'd');
}
