#include "audio_analysis.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace {

// Frames quieter than this hold no signal at all.
constexpr double kSilenceDb = -90;
// Two classes of frame energy count as speech and pauses only when they lie this many
// within-class deviations apart; steady noise alone splits at about 2.7.
constexpr double kMinSeparation = 4;

double ToDb(double power)
{
    return 10 * std::log10(power + 1e-15);
}

double Percentile(std::vector<double> values, double fraction)
{
    size_t k = static_cast<size_t>(fraction * (values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(k), values.end());
    return values[k];
}

// Two-means on frame energies in dB; gives the threshold between pauses and speech, or
// nothing when the recording has no such contrast.
bool SplitEnergies(const std::vector<double>& db, double& threshold)
{
    double low = Percentile(db, 0.1), high = Percentile(db, 0.9);
    if (high - low < 1e-6)
        return false;
    double spread = 0;
    for (int round = 0; round < 50; ++round) {
        threshold = (low + high) / 2;
        double sums[2] = {0, 0}, squares[2] = {0, 0}, counts[2] = {0, 0};
        for (double v : db) {
            int k = v > threshold ? 1 : 0;
            sums[k] += v;
            squares[k] += v * v;
            counts[k] += 1;
        }
        if (counts[0] == 0 || counts[1] == 0)
            return false;
        low = sums[0] / counts[0];
        high = sums[1] / counts[1];
        double variance =
            (squares[0] - counts[0] * low * low + squares[1] - counts[1] * high * high) /
            (counts[0] + counts[1]);
        spread = std::sqrt(std::max(variance, 1e-12));
    }
    threshold = (low + high) / 2;
    return (high - low) / spread >= kMinSeparation;
}

std::vector<Segment> Utterances(const std::vector<bool>& speech)
{
    const double f = AudioAnalysis::kFrameMs;
    std::vector<Segment> runs;
    for (size_t i = 0; i < speech.size();) {
        if (!speech[i]) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < speech.size() && speech[j])
            ++j;
        if (!runs.empty() && i * f - runs.back().endMs < AudioAnalysis::kMinPauseMs)
            runs.back().endMs = j * f;
        else
            runs.push_back({i * f, j * f});
        i = j;
    }
    std::vector<Segment> kept;
    for (const Segment& run : runs) {
        if (run.endMs - run.startMs >= AudioAnalysis::kMinSpeechMs)
            kept.push_back(run);
    }
    return kept;
}

} // namespace

AudioAnalysis Analyze(const Audio& audio)
{
    AudioAnalysis a;
    size_t frame = std::max<size_t>(1, audio.sampleRate * AudioAnalysis::kFrameMs / 1000);
    for (size_t start = 0; start < audio.samples.size(); start += frame) {
        size_t end = std::min(audio.samples.size(), start + frame);
        double sum = 0;
        for (size_t i = start; i < end; ++i)
            sum += static_cast<double>(audio.samples[i]) * audio.samples[i];
        a.framePower.push_back(sum / static_cast<double>(end - start));
    }
    std::vector<double> db;
    for (double p : a.framePower)
        db.push_back(ToDb(p));

    // The quietest a pause can be is the quantisation noise of the samples.
    double step = 1.0 / (audio.bitsPerSample == 8 ? 128 : 32768);
    double floorPower = step * step / 12;

    double threshold = 0;
    bool contrast = SplitEnergies(db, threshold);
    if (!contrast) {
        // No pauses to tell noise from: a steady recording is one utterance, silence none.
        bool loud = *std::max_element(db.begin(), db.end()) > kSilenceDb;
        a.speech.assign(db.size(), loud);
        a.noisePower = floorPower;
    } else {
        for (double v : db)
            a.speech.push_back(v > threshold);
    }
    a.utterances = Utterances(a.speech);
    if (!contrast)
        return a;

    // Frames next to a change of class straddle both, so neither mean takes them.
    double sums[2] = {0, 0}, counts[2] = {0, 0};
    for (size_t i = 0; i < db.size(); ++i) {
        bool edge = (i > 0 && a.speech[i - 1] != a.speech[i]) ||
                    (i + 1 < db.size() && a.speech[i + 1] != a.speech[i]);
        if (edge)
            continue;
        int k = a.speech[i] ? 1 : 0;
        sums[k] += a.framePower[i];
        counts[k] += 1;
    }
    a.noisePower = std::max(floorPower, counts[0] > 0 ? sums[0] / counts[0] : 0);
    double loud = counts[1] > 0 ? sums[1] / counts[1] : 0;
    a.speechPower = std::max(loud - a.noisePower, a.noisePower * 1e-6);
    a.snrDb = 10 * std::log10(a.speechPower / a.noisePower);
    return a;
}

double StretchSnrDb(const AudioAnalysis& analysis, double startMs, double endMs)
{
    size_t first = static_cast<size_t>(std::max(0.0, startMs) / AudioAnalysis::kFrameMs);
    size_t last = std::min(analysis.framePower.size(),
                           static_cast<size_t>(std::ceil(endMs / AudioAnalysis::kFrameMs)));
    if (first >= last || analysis.noisePower <= 0)
        return 0;
    double sum = 0;
    for (size_t i = first; i < last; ++i)
        sum += analysis.framePower[i];
    double power = sum / static_cast<double>(last - first) - analysis.noisePower;
    return 10 * std::log10(std::max(power, analysis.noisePower * 1e-6) / analysis.noisePower);
}

} // namespace standin
