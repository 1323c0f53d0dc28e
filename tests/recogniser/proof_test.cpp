// The real program, the stand-in and the real recogniser service together: what the program
// lists for a spoken sample is what the recogniser reports for it on its own.
#include "engine_session.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    // This run is the service's latest client: "<client> > DECODE ...", then its replies.
    std::string log = testfiles::Read(folder + L"\\service.log");
    size_t request = log.rfind(" > DECODE ");
    ASSERT_NE(request, std::string::npos);
    std::string client = log.substr(log.rfind('\n', request) + 1);
    client = client.substr(0, client.find(' '));
    std::vector<Reported> served = ParseReport(log.substr(request), client + " < ");
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

} // namespace
