// Events arrive as the engine's registered type library describes them. Without that library
// they are dropped silently. This changes the prefix's registry, so it runs alone.
#include <gtest/gtest.h>

#include "engine_session.h"
#include "resources/resource.h"
#include "standin_test_support.h"

using namespace e2e;

namespace {

// Removes the stand-in's type library for the scope and puts it back on every way out.
class TypeLibraryRemoved
{
public:
    TypeLibraryRemoved()
        : removed_(standin::control::SetTypeLibraryRegistered(STANDIN_DLL_PATH, false) == S_OK)
    {}
    ~TypeLibraryRemoved() { standin::control::SetTypeLibraryRegistered(STANDIN_DLL_PATH, true); }
    TypeLibraryRemoved(const TypeLibraryRemoved&) = delete;
    TypeLibraryRemoved& operator=(const TypeLibraryRemoved&) = delete;
    bool Removed() const { return removed_; }

private:
    bool removed_;
};

} // namespace

TEST(TypeLibrary, WithoutItDictationIsNotMeasuredAndNothingIsSaid)
{
    TypeLibraryRemoved removed;
    ASSERT_TRUE(removed.Removed());
    Session session;
    ASSERT_TRUE(session.Start());
    EXPECT_TRUE(session->MessageBoxes().empty());
    Utterance utterance;
    utterance.words.push_back(Word{70, std::wstring(L"unheard")});
    ASSERT_TRUE(session.Dictate(utterance));
    ASSERT_TRUE(driver::WaitUntil([&] {
        return session->Text(IDC_TRANSCRIPTION) == L"unheard" &&
               standin::control::EventsRaised(session.Journal()).size() >= 2;
    }));
    Sleep(300);
    EXPECT_TRUE(session->ListLines(IDC_RESULTS).empty());
    EXPECT_TRUE(session->Text(IDC_REC_START).empty());
    EXPECT_TRUE(session->Text(IDC_UTTERANCES).empty());
    EXPECT_TRUE(session.Calls("IDgnEditDictation.get_LastResult").empty());
    EXPECT_TRUE(session->MessageBoxes().empty());
    EXPECT_EQ(session->Exit(), 0u);
}
