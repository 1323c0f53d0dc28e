#include "audio_source.h"

#include "wav_file.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace recogniser {
namespace {

constexpr unsigned kRate = 16000;
// Room for the audio that arrives while an utterance is being finished (a lattice can take
// half a second), so that finishing one loses nothing of the next.
constexpr unsigned kCaptureBufferUs = 2000000;
constexpr unsigned kCapturePeriodUs = 20000;
// A device that gives nothing for this long has stopped.
constexpr int kSilentDeviceMs = 2000;

class WavSource : public AudioSource
{
public:
    explicit WavSource(std::vector<int16_t> samples) : samples_(std::move(samples)) {}

    bool Start(std::string&) override
    {
        zero_ = std::chrono::steady_clock::now();
        return true;
    }

    Read Next(std::vector<int16_t>& chunk, std::string&) override
    {
        if (at_ >= samples_.size())
            return Read::End;
        size_t n = std::min(kLiveChunkSamples, samples_.size() - at_);
        // A chunk is there once the clock has played its last sample; a late reader gets the
        // chunks it missed at once, as from a microphone's buffer.
        std::this_thread::sleep_until(zero_ +
                                      std::chrono::microseconds((at_ + n) * 1000000 / kRate));
        chunk.assign(samples_.begin() + at_, samples_.begin() + at_ + n);
        at_ += n;
        return Read::Audio;
    }

private:
    std::vector<int16_t> samples_;
    size_t at_ = 0;
    std::chrono::steady_clock::time_point zero_;
};

// ALSA reports what it cannot find on stderr besides returning it; the caller says it once.
void Quiet(const char*, int, const char*, int, const char*, ...)
{}

class CaptureSource : public AudioSource
{
public:
    explicit CaptureSource(snd_pcm_t* pcm) : pcm_(pcm) {}
    ~CaptureSource() override { snd_pcm_close(pcm_); }

    bool Start(std::string& problem) override
    {
        int error = snd_pcm_start(pcm_);
        if (error < 0)
            problem = std::string("cannot start capture: ") + snd_strerror(error);
        return error >= 0;
    }

    Read Next(std::vector<int16_t>& chunk, std::string& problem) override
    {
        chunk.resize(kLiveChunkSamples);
        // Non-blocking reads behind a bounded wait: a stalled device never holds the
        // listener past the stop it is asked for.
        int ready = snd_pcm_wait(pcm_, kSilentDeviceMs);
        if (ready == 0) {
            problem = "the device gave no audio for 2 s";
            return Read::Failed;
        }
        snd_pcm_sframes_t got = ready < 0 ? ready : snd_pcm_readi(pcm_, chunk.data(), chunk.size());
        if (got == -EAGAIN)
            got = 0;
        if (got < 0) {
            // An overrun loses audio but the device goes on; anything else is the end of it.
            int error = snd_pcm_recover(pcm_, static_cast<int>(got), 1);
            if (error >= 0)
                error = snd_pcm_start(pcm_);
            if (error < 0) {
                problem = std::string("capture failed: ") + snd_strerror(error);
                return Read::Failed;
            }
            got = 0;
        }
        chunk.resize(static_cast<size_t>(got));
        return Read::Audio;
    }

private:
    snd_pcm_t* pcm_;
};

// Opens the device for 16 kHz mono 16-bit capture, converted by ALSA when the device differs.
snd_pcm_t* OpenCapture(const std::string& device, std::string& problem)
{
    snd_lib_error_set_handler(Quiet);
    snd_pcm_t* pcm = nullptr;
    // Non-blocking: a device that another program holds refuses at once instead of waiting.
    int error = snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (error < 0) {
        problem = "cannot open " + device + ": " + snd_strerror(error);
        return nullptr;
    }
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned buffer = kCaptureBufferUs, period = kCapturePeriodUs;
    auto refused = [&](const char* what, int result) {
        if (result >= 0)
            return false;
        problem = device + ": " + what + " (" + snd_strerror(result) + ")";
        return true;
    };
    if (refused("no configuration", snd_pcm_hw_params_any(pcm, hw)) ||
        refused("no interleaved access",
                snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) ||
        refused("no 16-bit samples",
                snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE)) ||
        refused("no mono", snd_pcm_hw_params_set_channels(pcm, hw, 1)) ||
        refused("no 16 kHz", snd_pcm_hw_params_set_rate(pcm, hw, kRate, 0)) ||
        refused("no buffer", snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &buffer, nullptr)) ||
        refused("no period", snd_pcm_hw_params_set_period_time_near(pcm, hw, &period, nullptr)) ||
        refused("refused the settings", snd_pcm_hw_params(pcm, hw))) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return pcm;
}

} // namespace

Opened OpenWavSource(const std::string& path)
{
    Opened o;
    WavFile file = ReadWavFile(path);
    if (!file.ok) {
        o.kind = file.unreadable ? "unreadable" : "format";
        o.problem = file.problem;
        return o;
    }
    o.source = std::make_unique<WavSource>(Samples16k(file.audio, 0, file.audio.DurationMs()));
    return o;
}

Opened OpenCaptureSource(const std::string& device)
{
    Opened o;
    snd_pcm_t* pcm = OpenCapture(device, o.problem);
    if (!pcm) {
        o.kind = "device";
        return o;
    }
    o.source = std::make_unique<CaptureSource>(pcm);
    return o;
}

bool ProbeCapture(const std::string& device, std::string& report)
{
    Opened o = OpenCaptureSource(device);
    if (!o.source) {
        report = o.problem;
        return false;
    }
    std::vector<int16_t> chunk;
    if (!o.source->Start(report))
        return false;
    for (int tries = 0; chunk.empty(); ++tries) {
        if (tries == 10 || o.source->Next(chunk, report) != AudioSource::Read::Audio) {
            if (report.empty())
                report = device + ": no audio";
            return false;
        }
    }
    report = device + ": captures 16000 Hz mono";
    return true;
}

} // namespace recogniser
