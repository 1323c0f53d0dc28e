#include "wav_reader.h"

#include <cstdint>
#include <cstring>

namespace standin {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint32_t U32(const std::string& b, size_t at)
{
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

uint16_t U16(const std::string& b, size_t at)
{
    uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

} // namespace

WavRead WavProblem(const char* text)
{
    WavRead read;
    read.problem = text;
    return read;
}

WavRead ParseWav(const std::string& bytes)
{
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return WavProblem("not a RIFF WAVE file");
    Audio audio;
    bool haveFormat = false;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        std::string id = bytes.substr(at, 4);
        uint64_t size = U32(bytes, at + 4);
        size_t body = at + 8;
        if (body + size > bytes.size())
            return WavProblem(id == "data" ? "data chunk truncated" : "chunk truncated");
        if (id == "fmt ") {
            if (size < 16)
                return WavProblem("format chunk too short");
            uint16_t tag = U16(bytes, body);
            if (tag == kFormatExtensible && size >= 26)
                tag = U16(bytes, body + 24); // the sub-format's first two bytes
            audio.channels = U16(bytes, body + 2);
            audio.sampleRate = U32(bytes, body + 4);
            audio.bitsPerSample = U16(bytes, body + 14);
            if (tag != kFormatPcm)
                return WavProblem("not PCM");
            if (audio.channels < 1 || audio.channels > 2)
                return WavProblem("not mono or stereo");
            if (audio.bitsPerSample != 8 && audio.bitsPerSample != 16)
                return WavProblem("not 8 or 16 bits per sample");
            if (audio.sampleRate < 8000 || audio.sampleRate > 99000)
                return WavProblem("sampling rate outside 8 to 99 kHz");
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return WavProblem("data before format");
            size_t frameBytes = audio.channels * audio.bitsPerSample / 8;
            size_t frames = static_cast<size_t>(size) / frameBytes;
            if (frames == 0)
                return WavProblem("no samples");
            audio.samples.resize(frames);
            for (size_t i = 0; i < frames; ++i) {
                float sum = 0;
                for (unsigned c = 0; c < audio.channels; ++c) {
                    size_t p = body + i * frameBytes + c * audio.bitsPerSample / 8;
                    if (audio.bitsPerSample == 8)
                        sum += (static_cast<unsigned char>(bytes[p]) - 128) / 128.0f;
                    else
                        sum += static_cast<int16_t>(U16(bytes, p)) / 32768.0f;
                }
                audio.samples[i] = sum / static_cast<float>(audio.channels);
            }
            WavRead read;
            read.audio = std::move(audio);
            return read;
        }
        at = body + static_cast<size_t>(size) + (size & 1);
    }
    return WavProblem(haveFormat ? "no data chunk" : "no format chunk");
}

} // namespace standin
