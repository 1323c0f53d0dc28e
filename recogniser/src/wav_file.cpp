#include "wav_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace recogniser {

WavFile ReadWavFile(const std::string& path)
{
    WavFile f;
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in)
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in || in.bad()) {
        f.unreadable = true;
        f.problem = in ? "cannot read the file" : "cannot open the file";
        return f;
    }
    standin::WavRead read = standin::ParseWav(bytes);
    f.ok = read.audio.has_value();
    f.problem = read.problem;
    if (read.audio)
        f.audio = std::move(*read.audio);
    return f;
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
