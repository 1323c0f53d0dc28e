#include <gtest/gtest.h>

#include <windows.h>
#include <memory>

#include "files.h"
#include "records/session_log.h"

namespace {

using testfiles::Exists;
using testfiles::Read;
using testfiles::ScratchFolder;
using testfiles::Write;

// Hands out the given placeholder names in turn, creating each file as the system would.
SessionLog::PlaceholderMaker Placeholders(std::vector<std::wstring> names)
{
    auto next = std::make_shared<size_t>(0);
    return [names, next](const std::wstring&) -> std::wstring {
        if (*next >= names.size())
            return {};
        std::wstring name = names[(*next)++];
        Write(name, "");
        return name;
    };
}

std::vector<std::string> Lines(const std::string& bytes)
{
    EXPECT_EQ(bytes.substr(bytes.size() < 2 ? 0 : bytes.size() - 2), "\r\n")
        << "the file must end with CR LF";
    return testfiles::Lines(bytes);
}

} // namespace

TEST(SessionLog, StartWritesThreeLinesToTheTxtBesideTheRemovedPlaceholder)
{
    ScratchFolder folder;
    SessionLog log;
    log.Start(folder.Path(), Placeholders({folder / L"AB12.tmp"}));

    EXPECT_EQ(log.Path(), folder / L"AB12.txt");
    EXPECT_FALSE(Exists(folder / L"AB12.tmp"));
    std::vector<std::string> lines = Lines(Read(log.Path()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("Mirelle Session Started: ", 0), 0u);
    EXPECT_EQ(lines[1].rfind("Mirelle Log File Service, ", 0), 0u);
    EXPECT_EQ(lines[2], "");
}

TEST(SessionLog, SystemTemporaryFolderIsUsedByDefault)
{
    SessionLog log;
    log.Start();
    ASSERT_FALSE(log.Path().empty());
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(log.Path().rfind(temp, 0), 0u);
    EXPECT_EQ(log.Path().substr(log.Path().size() - 4), L".txt");
    EXPECT_TRUE(Exists(log.Path()));
    log.Discard();
    EXPECT_FALSE(Exists(log.Path()));
}

TEST(SessionLog, ANameThatIsTakenIsNeverTouched)
{
    ScratchFolder folder;
    Write(folder / L"one.txt", "someone else's file");
    SessionLog log;
    log.Start(folder.Path(), Placeholders({folder / L"one.tmp", folder / L"two.tmp"}));

    EXPECT_EQ(log.Path(), folder / L"two.txt");
    log.AppendLine(L"a line");
    log.Discard();
    EXPECT_EQ(Read(folder / L"one.txt"), "someone else's file");
    EXPECT_FALSE(Exists(folder / L"one.tmp"));
    EXPECT_FALSE(Exists(folder / L"two.tmp"));
    EXPECT_FALSE(Exists(folder / L"two.txt"));
}

TEST(SessionLog, LinesAreLatin1WithCrLf)
{
    ScratchFolder folder;
    SessionLog log;
    log.Start(folder.Path(), Placeholders({folder / L"x.tmp"}));
    log.AppendLine(L"");
    log.AppendLine(L"caf\u00e9");
    log.AppendLine(L"before \u0142 after");

    std::string bytes = Read(log.Path());
    EXPECT_EQ(bytes.substr(bytes.size() - 26), "\r\n\r\ncaf\xe9\r\nbefore ? after\r\n");
}

TEST(SessionLog, DiscardIsHarmlessWhenRepeatedAndALaterLineStartsANewFile)
{
    ScratchFolder folder;
    SessionLog log;
    log.Start(folder.Path(), Placeholders({folder / L"y.tmp"}));
    log.Discard();
    log.Discard();
    EXPECT_FALSE(Exists(log.Path()));

    log.AppendLine(L"after");
    EXPECT_EQ(Read(log.Path()), "after\r\n");
    log.Discard();
    EXPECT_FALSE(Exists(log.Path()));
}

TEST(SessionLog, AFileHeldWithoutSharingIsLeftInPlace)
{
    ScratchFolder folder;
    SessionLog log;
    log.Start(folder.Path(), Placeholders({folder / L"z.tmp"}));
    HANDLE held =
        CreateFileW(log.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    log.AppendLine(L"lost");
    log.Discard();
    CloseHandle(held);
    EXPECT_TRUE(Exists(log.Path()));
    EXPECT_EQ(Lines(Read(log.Path())).size(), 3u);
}

TEST(SessionLog, WithoutATemporaryFolderNothingIsWritten)
{
    SessionLog log;
    log.Start(L"", Placeholders({}));
    EXPECT_TRUE(log.Path().empty());
    log.AppendLine(L"nowhere");
    log.Discard();
}
