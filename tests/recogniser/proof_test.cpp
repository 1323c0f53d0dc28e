// The real program, the stand-in and the real recogniser service together: what the program
// lists for a spoken sample is what the recogniser reports for it on its own, for a file and
// for live dictation into the stand-in's virtual microphone.
#include "engine_session.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

struct Reported
{
    int phrases = 0;
    long long startMs = 0, endMs = 0;
    double decodeMs = 0;
    std::vector<std::pair<int, std::string>> words; // score, text
};

// UTT and WORD lines, as the recogniser prints and serves them.
std::vector<Reported> ParseReport(const std::string& text, const std::string& prefix = "")
{
    std::vector<Reported> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        line.erase(0, prefix.size());
        Reported r;
        size_t index = 0, count = 0;
        int score = 0, used = 0;
        double posterior = 0;
        if (std::sscanf(line.c_str(), "UTT %zu %lld %lld %d %lf %zu", &index, &r.startMs, &r.endMs,
                        &r.phrases, &r.decodeMs, &count) == 6)
            out.push_back(r);
        else if (!out.empty() &&
                 std::sscanf(line.c_str(), "WORD %d %lf %n", &score, &posterior, &used) == 2)
            out.back().words.emplace_back(score, line.substr(static_cast<size_t>(used)));
    }
    return out;
}

struct Listed
{
    double rtf = 0;
    int phrases = 0;
    std::vector<std::pair<int, std::string>> words;
};

std::vector<Listed> ParseList(const std::vector<std::wstring>& lines)
{
    std::vector<Listed> out;
    bool inWords = false;
    for (const std::wstring& wide : lines) {
        std::string line(wide.begin(), wide.end());
        Listed l;
        int number = 0, score = 0, used = 0;
        if (std::sscanf(line.c_str(), "Utterance #: %d RTF: %lf %d alternate", &number, &l.rtf,
                        &l.phrases) == 3) {
            out.push_back(l);
            inWords = false;
        } else if (line.find("words in utterance") != std::string::npos) {
            inWords = true;
        } else if (line.empty() && inWords && !out.back().words.empty()) {
            inWords = false;
        } else if (inWords && std::sscanf(line.c_str(), "%d : %n", &score, &used) == 1 &&
                   used > 0) {
            out.back().words.emplace_back(score, line.substr(static_cast<size_t>(used)));
        }
    }
    return out;
}

// What the service sent its latest client whose request began so: "<client> > REQUEST ...",
// then "<client> < UTT ..." and its words.
std::vector<Reported> ServedToLatest(const std::string& log, const std::string& request)
{
    size_t at = log.rfind(" > " + request);
    if (at == std::string::npos)
        return {};
    std::string client = log.substr(log.rfind('\n', at) + 1);
    client = client.substr(0, client.find(' '));
    return ParseReport(log.substr(at), client + " < ");
}

// The step of the tick counter, which the program's processing times are read from.
DWORD TickStep()
{
    DWORD first = GetTickCount(), next;
    while ((next = GetTickCount()) == first) {
    }
    DWORD step;
    while ((step = GetTickCount() - next) == 0) {
    }
    return step;
}

TEST(Recogniser, TheProgramListsWhatTheRecogniserReports)
{
    const std::wstring folder = RECOGNISER_DATA;
    std::string port = testfiles::Read(folder + L"\\port");
    ASSERT_FALSE(port.empty());
    std::vector<Reported> expected = ParseReport(testfiles::Read(folder + L"\\expected.txt"));
    ASSERT_FALSE(expected.empty());

    // Accuracy 50, as the service's own decode of the sample had it.
    e2e::Session session(e2e::NormalProfile()
                             .Parameter(7, "I4", "50")
                             .Line("recogniser " + std::to_string(std::stoi(port))));
    ASSERT_TRUE(session.Start());
    session->SetText(IDC_PATH, folder + L"\\sample.wav");
    session->Click(IDC_TRANSCRIBE);
    ASSERT_TRUE(driver::WaitUntil([&] { return session->IsEnabled(IDC_STOP); }));
    // Each utterance is decoded whole before it is reported: a long one shows no progress.
    ASSERT_TRUE(driver::WaitWhileProgressing([&] { return !session->IsEnabled(IDC_STOP); },
                                             [&] { return session->Text(IDC_UTTERANCES); }, 60000));
    EXPECT_TRUE(session->MessageBoxes().empty());

    std::vector<Listed> listed = ParseList(session->ListLines(IDC_RESULTS));
    ASSERT_EQ(listed.size(), expected.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].words, expected[i].words) << "utterance " << i;
        EXPECT_EQ(listed[i].phrases, expected[i].phrases) << "utterance " << i;
    }

    // The service's timing of this very run, against the program's real-time factors. The
    // listed time can fall short of the decode only by the tick's step and the rounding of
    // "%0.3f"; above it lie two hand-overs between threads, which a busy machine stretches,
    // so that side is held only to the same order as the decode.
    std::vector<Reported> served =
        ServedToLatest(testfiles::Read(folder + L"\\service.log"), "DECODE ");
    ASSERT_EQ(served.size(), listed.size());
    DWORD step = TickStep();
    for (size_t i = 0; i < listed.size(); ++i) {
        double duration = static_cast<double>(served[i].endMs - served[i].startMs);
        double slack = std::max<DWORD>(step, 16) + 0.0005 * duration + 5;
        double listedMs = listed[i].rtf * duration;
        EXPECT_GE(listedMs, served[i].decodeMs - slack)
            << "utterance " << i << ", tick step " << step;
        EXPECT_LE(listedMs, served[i].decodeMs + slack + 500 + 0.5 * served[i].decodeMs)
            << "utterance " << i << ", tick step " << step;
    }
    session->Click(IDOK);
    EXPECT_EQ(session->WaitForExit(), 0u);
}

// The journal's events and calls of the program's process, in order.
std::vector<e2e::JournalEntry> Of(const std::vector<e2e::JournalEntry>& journal,
                                  const std::string& kind)
{
    std::vector<e2e::JournalEntry> out;
    std::copy_if(journal.begin(), journal.end(), std::back_inserter(out),
                 [&](const e2e::JournalEntry& e) { return e.kind == kind; });
    return out;
}

class LiveDictation : public testing::TestWithParam<std::string>
{
};

// A corpus file spoken into the virtual microphone at the pace of the clock: the program
// measures each utterance as the recogniser heard it.
TEST_P(LiveDictation, TheProgramMeasuresWhatTheRecogniserHears)
{
    const std::wstring folder = RECOGNISER_DATA;
    std::string port = testfiles::Read(folder + L"\\port");
    ASSERT_FALSE(port.empty());
    std::wstring name(GetParam().begin(), GetParam().end());
    std::replace(name.begin(), name.end(), L'_', L'-'); // test names cannot hold a hyphen
    std::wstring file = folder + L"\\corpus\\" + name + L".wav";
    e2e::Session session(e2e::NormalProfile()
                             .Parameter(7, "I4", "50")
                             .Line("recogniser " + std::to_string(std::stoi(port))));
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(standin::control::SendRequest(
        session.Requests(), "listen wav " + standin::control::TextArgument(file) + "\n"));
    auto ended = [&] {
        for (const e2e::JournalEntry& e : session.Journal())
            if (e.kind == "listen" && e.Field(0) == "ended")
                return true;
        return false;
    };
    // The file plays at its own pace: the list grows while it does.
    ASSERT_TRUE(driver::WaitWhileProgressing(
        ended, [&] { return session->Text(IDC_UTTERANCES); }, 60000));
    std::vector<e2e::JournalEntry> journal = session.Journal();
    EXPECT_EQ(Of(journal, "listen").back().Field(1), "eof");

    std::vector<Reported> served =
        ServedToLatest(testfiles::Read(folder + L"\\service.log"), "LISTEN ");
    // Speech without words gives no result.
    served.erase(std::remove_if(served.begin(), served.end(),
                                [](const Reported& r) { return r.words.empty(); }),
                 served.end());
    std::vector<Listed> listed = ParseList(session->ListLines(IDC_RESULTS));
    ASSERT_FALSE(served.empty());
    ASSERT_EQ(listed.size(), served.size());
    long long dictatedMs = 0;
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].words, served[i].words) << "utterance " << i;
        EXPECT_EQ(listed[i].phrases, served[i].phrases) << "utterance " << i;
        dictatedMs += served[i].endMs - served[i].startMs;
    }
    // The durations are the recogniser's: their sum is the program's dictation time.
    char total[32];
    std::snprintf(total, sizeof total, "%0.2f", dictatedMs * 0.001);
    EXPECT_EQ(session->Text(IDC_TOTAL_DICTATION), std::wstring(total, total + std::strlen(total)));
    // The session log holds the list's lines.
    std::string log = testfiles::Read(session->SessionLogPath());
    for (const std::wstring& line : session->ListLines(IDC_RESULTS))
        EXPECT_NE(log.find(std::string(line.begin(), line.end())), std::string::npos)
            << std::string(line.begin(), line.end());

    // Each result follows its own recognition start, which the program times it from. It takes
    // its start tick while it handles event 8, and its end tick after the last time stamp it
    // fetched and before event 1 returns: its time lies between those bounds, within the
    // tick's step and the rounding of "%0.3f", however long a busy machine holds it between
    // two of them.
    DWORD step = TickStep();
    size_t utterance = 0;
    long long begun = -1, started = -1, fetched = -1;
    for (const e2e::JournalEntry& e : journal) {
        if (e.kind == "event-begin" && e.Field(0) == "8")
            begun = e.micros;
        else if (e.kind == "event-end" && e.Field(0) == "8")
            started = e.micros;
        else if (e.IsCall("ResultTime.GetLowPart"))
            fetched = e.micros;
        else if (e.kind == "event-end" && e.Field(0) == "1" && utterance < listed.size()) {
            ASSERT_GE(begun, 0) << "utterance " << utterance;
            double duration =
                static_cast<double>(served[utterance].endMs - served[utterance].startMs);
            double slack = std::max<DWORD>(step, 16) + 0.0005 * duration + 5;
            double timed = listed[utterance].rtf * duration;
            EXPECT_GE(timed, (fetched - started) / 1000.0 - slack) << "utterance " << utterance;
            EXPECT_LE(timed, (e.micros - begun) / 1000.0 + slack) << "utterance " << utterance;
            begun = -1;
            ++utterance;
        }
    }
    EXPECT_EQ(utterance, listed.size());
    EXPECT_FALSE(session->Text(IDC_REC_START).empty());
    EXPECT_LE(session->Text(IDC_REC_START), session->Text(IDC_STOP_TIME));
    session->Click(IDOK);
    EXPECT_EQ(session->WaitForExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Corpus, LiveDictation,
                         testing::Values("clean_rms", "clean_kal16", "noisy_kal16"),
                         [](const testing::TestParamInfo<std::string>& param) {
                             return param.param;
                         });

} // namespace
