#include "transcript_plan.h"

#include <algorithm>
#include <cmath>

namespace standin {

std::vector<std::wstring> SplitWords(const std::wstring& text)
{
    std::vector<std::wstring> words;
    std::wstring current;
    for (wchar_t c : text) {
        if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
            if (!current.empty())
                words.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        words.push_back(current);
    return words;
}

LONG ConfidenceFromSnr(double snrDb)
{
    return static_cast<LONG>(std::lround(std::clamp(snrDb * 100 / 30, 0.0, 100.0)));
}

std::vector<PlannedUtterance> PlanTranscription(const AudioAnalysis& analysis,
                                                std::vector<std::wstring> words)
{
    const auto& segments = analysis.utterances;
    std::vector<PlannedUtterance> plan;
    if (segments.empty())
        return plan;
    double total = 0;
    for (const Segment& s : segments)
        total += s.endMs - s.startMs;
    if (words.empty()) {
        static const wchar_t* const kFiller[] = {L"the",  L"quick", L"brown", L"fox", L"jumps",
                                                 L"over", L"the",   L"lazy",  L"dog"};
        size_t count = std::max<size_t>(1, static_cast<size_t>(total / kMsPerDefaultWord));
        for (size_t i = 0; i < count; ++i)
            words.push_back(kFiller[i % (sizeof kFiller / sizeof kFiller[0])]);
    }

    // Every utterance gets one word while there are enough; the rest go by duration.
    const size_t n = segments.size();
    std::vector<size_t> share(n, words.size() >= n ? 1 : 0);
    size_t spare = words.size() - (words.size() >= n ? n : 0);
    double before = 0;
    size_t given = 0;
    for (size_t i = 0; i < n; ++i) {
        before += segments[i].endMs - segments[i].startMs;
        size_t upTo = static_cast<size_t>(std::lround(spare * before / total));
        share[i] += upTo - given;
        given = upTo;
    }

    size_t next = 0;
    for (size_t i = 0; i < n; ++i) {
        PlannedUtterance u;
        u.startMs = segments[i].startMs;
        u.endMs = segments[i].endMs;
        double step = (u.endMs - u.startMs) / static_cast<double>(std::max<size_t>(1, share[i]));
        for (size_t k = 0; k < share[i]; ++k, ++next) {
            double from = u.startMs + step * static_cast<double>(k);
            Word word;
            word.text = words[next];
            word.score = ConfidenceFromSnr(StretchSnrDb(analysis, from, from + step));
            u.words.push_back(word);
        }
        plan.push_back(u);
    }
    return plan;
}

} // namespace standin
