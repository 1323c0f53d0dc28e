// What a transcription of a recording delivers: its utterances, with the words spread over them
// and each word's confidence taken from the signal-to-noise ratio of its stretch of audio.
#pragma once

#include "audio_analysis.h"
#include "script.h"

#include <string>
#include <vector>

namespace standin {

struct PlannedUtterance
{
    double startMs = 0;
    double endMs = 0;
    std::vector<Word> words;
};

// Words where no transcript and no scenario give any: one per this many milliseconds of speech.
constexpr double kMsPerDefaultWord = 350;

std::vector<std::wstring> SplitWords(const std::wstring& text);
// 0 at 0 dB or less, 100 at 30 dB or more, linear between.
LONG ConfidenceFromSnr(double snrDb);
std::vector<PlannedUtterance> PlanTranscription(const AudioAnalysis& analysis,
                                                std::vector<std::wstring> words);

} // namespace standin
