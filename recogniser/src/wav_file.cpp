#include "wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace recogniser {
namespace {

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

WavFile Bad(const char* problem)
{
    WavFile f;
    f.problem = problem;
    return f;
}

} // namespace

WavFile ReadWavFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        WavFile f = Bad("cannot open the file");
        f.unreadable = true;
        return f;
    }
    std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        WavFile f = Bad("cannot read the file");
        f.unreadable = true;
        return f;
    }
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0)
        return Bad("not a RIFF/WAVE file");
    size_t at = 12;
    bool haveFormat = false;
    uint16_t channels = 0, bits = 0;
    uint32_t rate = 0;
    while (at + 8 <= b.size()) {
        uint32_t size = U32(b, at + 4);
        size_t body = at + 8;
        if (b.compare(at, 4, "fmt ") == 0) {
            if (size < 16 || body + 16 > b.size())
                return Bad("short format chunk");
            uint16_t tag = U16(b, body);
            channels = U16(b, body + 2);
            rate = U32(b, body + 4);
            bits = U16(b, body + 14);
            if (tag != 1 && tag != 0xFFFE)
                return Bad("not PCM");
            haveFormat = true;
        } else if (b.compare(at, 4, "data") == 0) {
            if (!haveFormat)
                return Bad("data before format");
            if ((bits != 8 && bits != 16) || channels < 1 || channels > 2 || rate < 8000 ||
                rate > 99000)
                return Bad("unsupported PCM format");
            if (body + size > b.size())
                return Bad("data chunk shorter than it says");
            size_t frame = static_cast<size_t>(channels) * bits / 8;
            size_t count = size / frame;
            if (count == 0)
                return Bad("no samples");
            WavFile f;
            f.ok = true;
            f.audio.sampleRate = rate;
            f.audio.channels = channels;
            f.audio.bitsPerSample = bits;
            f.audio.samples.resize(count);
            for (size_t i = 0; i < count; ++i) {
                float sum = 0;
                for (size_t c = 0; c < channels; ++c) {
                    size_t p = body + i * frame + c * bits / 8;
                    sum += bits == 16 ? static_cast<int16_t>(U16(b, p)) / 32768.0f
                                      : (static_cast<uint8_t>(b[p]) - 128) / 128.0f;
                }
                f.audio.samples[i] = sum / channels;
            }
            return f;
        }
        at = body + size + (size & 1);
    }
    return Bad("no data chunk");
}

std::vector<int16_t> Samples16k(const standin::Audio& audio, double firstMs, double lastMs)
{
    const auto& s = audio.samples;
    double from = std::max(0.0, firstMs) * audio.sampleRate / 1000;
    double to = std::min(audio.DurationMs(), lastMs) * audio.sampleRate / 1000;
    std::vector<int16_t> out;
    if (to <= from)
        return out;
    double step = audio.sampleRate / 16000.0;
    for (double x = from; x < to; x += step) {
        auto i = static_cast<size_t>(x);
        double frac = x - static_cast<double>(i);
        double v = s[i] * (1 - frac) + (i + 1 < s.size() ? s[i + 1] : s[i]) * frac;
        out.push_back(static_cast<int16_t>(std::lround(std::clamp(v * 32768, -32768.0, 32767.0))));
    }
    return out;
}

} // namespace recogniser
