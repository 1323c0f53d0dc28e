// Where live audio comes from: a WAV file played at the pace of the clock (the same audio and
// timing on every machine) or an ALSA capture device. Both give 16 kHz mono 16-bit samples
// in small chunks, as a microphone would.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace recogniser {

// 20 ms: how much audio a chunk holds, and so how soon a stop is noticed.
constexpr size_t kLiveChunkSamples = 320;

class AudioSource
{
public:
    enum class Read
    {
        Audio,
        End,
        Failed
    };

    virtual ~AudioSource() = default;
    // The clock's zero: audio is counted from here.
    virtual bool Start(std::string& problem) = 0;
    // Waits for the next chunk. End: the source has no more; Failed: see problem.
    virtual Read Next(std::vector<int16_t>& chunk, std::string& problem) = 0;
};

struct Opened
{
    std::unique_ptr<AudioSource> source;
    std::string kind; // the ERR kind when there is no source: unreadable, format or device
    std::string problem;
};

Opened OpenWavSource(const std::string& path);
Opened OpenCaptureSource(const std::string& device);

// Opens the device and reads a first chunk from it; the device's name and rate in report.
bool ProbeCapture(const std::string& device, std::string& report);

} // namespace recogniser
