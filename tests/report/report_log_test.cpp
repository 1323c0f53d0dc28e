// Sessions of the real program saved for tarvell-report's own tests: a varied session (every
// kind of block the program writes, an analysis that fails half-way, Reset All, words the
// log must carry as Latin-1 or cut) saved twice, and a short clean one. The native tests read
// them as the program wrote them.
#include <gtest/gtest.h>

#include "engine_session.h"
#include "resources/resource.h"

using namespace e2e;

namespace {

Utterance Spoken(std::vector<std::pair<LONG, std::wstring>> words, LONG durationMs = 2000,
                 LONG phrases = 3)
{
    Utterance utterance;
    for (auto& [score, text] : words)
        utterance.words.push_back(Word{score, text});
    utterance.start = std::make_pair(0L, 1000L);
    utterance.end = std::make_pair(0L, 1000L + durationMs);
    utterance.phraseCount = phrases;
    return utterance;
}

// Dictates and waits until the program has counted it.
void Say(Session& session, const Utterance& utterance, const wchar_t* count)
{
    ASSERT_TRUE(session.Dictate(utterance));
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES) == count; }));
}

void SaveLogAs(Session& session, const std::wstring& target)
{
    session->Click(IDC_SAVE_LOG);
    std::optional<HWND> dialog = session->WaitForFileDialog();
    ASSERT_TRUE(dialog);
    session->SetFileDialogName(*dialog, target);
    session->ConfirmFileDialog(*dialog);
    ASSERT_TRUE(driver::WaitUntil([&] { return testfiles::Exists(target); }));
}

const std::wstring kFolder = REPORT_LOGS;

} // namespace

TEST(ReportLogs, AVariedSessionSavedTwice)
{
    CreateDirectoryW(kFolder.c_str(), nullptr);
    std::wstring first = kFolder + L"\\varied.txt";
    std::wstring second = kFolder + L"\\varied-after-save.txt";
    DeleteFileW(first.c_str());
    DeleteFileW(second.c_str());

    Session session;
    ASSERT_TRUE(session.Start());
    Say(session, Spoken({{90, L"The"}, {85, L"quick"}, {40, L"brown"}, {75, L"fox"}}), L"1");
    Say(session,
        Spoken({{95, L"jumps"}, {30, L"over"}, {88, L"the"}, {20, L"lazy"}, {70, L"dog."}}), L"2");
    // The third word cannot be fetched: the block stops after two words.
    ASSERT_TRUE(session.Arm(Fail("IDgnResWords.get_Item", E_FAIL, FailWhen::NthCall, 3)));
    ASSERT_TRUE(session.Dictate(Spoken({{50, L"lost"}, {60, L"words"}, {70, L"here"}})));
    std::optional<driver::MessageBoxInfo> box = session->WaitForMessageBox();
    ASSERT_TRUE(box);
    session->Dismiss(*box);
    ASSERT_TRUE(driver::WaitUntil([&] { return session->MessageBoxes().empty(); }));
    Say(session, Spoken({{60, L"caf\u00e9"}, {55, L"na\u00efve"}}), L"4");
    // No duration: the real-time factor is not finite.
    Say(session, Spoken({{50, L"instant"}}, 0, 1), L"5");

    session->Click(IDC_RESET_ALL);
    ASSERT_TRUE(driver::WaitUntil([&] { return session->Text(IDC_UTTERANCES).empty(); }));
    Say(session, Spoken({{99, L"hello"}, {10, L"world"}}), L"1");
    // A word too long for a report line: its lines are cut, the labels with them.
    Say(session, Spoken({{77, std::wstring(300, L'x')}}), L"2");
    Say(session, Spoken({}), L"3");
    Say(session, Spoken({{-5, L"below"}, {150, L"above"}}, 4000, 2), L"4");
    SaveLogAs(session, first);

    Say(session, Spoken({{80, L"after"}, {81, L"saving"}}), L"5");
    SaveLogAs(session, second);
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(ReportLogs, ACleanSession)
{
    CreateDirectoryW(kFolder.c_str(), nullptr);
    std::wstring target = kFolder + L"\\clean.txt";
    DeleteFileW(target.c_str());
    Session session;
    ASSERT_TRUE(session.Start());
    Say(session, Spoken({{91, L"Hello,"}, {72, L"world."}}, 1500), L"1");
    Say(session, Spoken({{64, L"It's"}, {45, L"a"}, {88, L"test"}}, 2500), L"2");
    Say(session, Spoken({{33, L"of"}, {97, L"the"}, {58, L"report"}}, 1800), L"3");
    SaveLogAs(session, target);
    EXPECT_EQ(session->Exit(), 0u);
}
