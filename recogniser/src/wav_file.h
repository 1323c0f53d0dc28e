// Reads a PCM WAV file from a Unix path into the stand-in's mono signal, and makes the
// 16 kHz 16-bit samples that the acoustic model wants.
#pragma once

#include "wav_reader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace recogniser {

struct WavFile
{
    bool ok = false;
    bool unreadable = false; // the file could not be opened or read, as opposed to a bad format
    std::string problem;
    standin::Audio audio;
};

WavFile ReadWavFile(const std::string& path);

// Samples [firstMs, lastMs) of the signal at 16 kHz, resampled linearly when the file differs.
std::vector<int16_t> Samples16k(const standin::Audio& audio, double firstMs, double lastMs);

} // namespace recogniser
