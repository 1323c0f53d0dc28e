// Finds the utterances of a recording from its energy and measures its signal-to-noise ratio.
#pragma once

#include "wav_reader.h"

#include <vector>

namespace standin {

struct Segment
{
    double startMs = 0;
    double endMs = 0;
};

struct AudioAnalysis
{
    static constexpr double kFrameMs = 10;
    // Pauses shorter than this join their neighbours; bursts shorter than kMinSpeechMs are noise.
    static constexpr double kMinPauseMs = 200;
    static constexpr double kMinSpeechMs = 60;

    std::vector<double> framePower; // mean square per frame
    std::vector<bool> speech;       // per frame, before the pause rules
    std::vector<Segment> utterances;
    double noisePower = 0;
    double speechPower = 0; // speech frames less the noise in them
    double snrDb = 0;
};

AudioAnalysis Analyze(const Audio& audio);

// The ratio of one stretch of the recording against the recording's noise.
double StretchSnrDb(const AudioAnalysis& analysis, double startMs, double endMs);

} // namespace standin
