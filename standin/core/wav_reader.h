// Reads PCM WAV files (8 or 16 bits, mono or stereo, 8 to 99 kHz) into one mono signal.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace standin {

struct Audio
{
    unsigned sampleRate = 0;
    unsigned channels = 0;
    unsigned bitsPerSample = 0;
    std::vector<float> samples; // channels averaged, full scale is 1.0

    double DurationMs() const { return 1000.0 * samples.size() / sampleRate; }
};

struct WavRead
{
    std::optional<Audio> audio;
    std::string problem; // why there is no audio
};

// The parsing is portable: the recogniser service shares it.
WavRead ParseWav(const std::string& bytes);
WavRead WavProblem(const char* text);
// Reads through the Windows file API; files over 512 MB are refused.
WavRead ReadWav(const std::wstring& path);

} // namespace standin
