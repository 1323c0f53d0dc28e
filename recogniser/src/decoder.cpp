#include "decoder.h"

#include <pocketsphinx.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <set>

namespace recogniser {
namespace {

// 100 ms at 16 kHz: how often a decode checks whether it should stop.
constexpr size_t kChunkSamples = 1600;

std::string Sci(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", v);
    return text;
}

// "<s>", "</s>", "<sil>", "[NOISE]": silences and noises are no words of the phrase.
bool IsFiller(const std::string& word)
{
    return word.empty() || word[0] == '<' || word[0] == '[';
}

// Alternative pronunciations are "word(2)"; the word is "word".
std::string BaseWord(const std::string& word)
{
    size_t paren = word.find('(');
    return paren == std::string::npos || paren == 0 ? word : word.substr(0, paren);
}

} // namespace

Beams BeamsFor(int accuracy)
{
    double a = std::clamp(accuracy, 0, 100);
    // Log-linear in the accuracy; 100 gives the recogniser's own default beams.
    auto tenTo = [](double exponent) { return std::pow(10.0, exponent); };
    double beam = tenTo(-(28 + 0.2 * a));      // 1e-28 .. 1e-38 .. 1e-48
    double word = tenTo(-(18 + 0.1 * a));      // 1e-18 .. 1e-23 .. 1e-28
    double lastPhone = tenTo(-(20 + 0.2 * a)); // 1e-20 .. 1e-30 .. 1e-40
    double flat = tenTo(-(44 + 0.2 * a));      // 1e-44 .. 1e-54 .. 1e-64
    return Beams{beam, beam, word, lastPhone, word, flat, word};
}

int ScoreFromPosterior(double posterior)
{
    return static_cast<int>(std::lround(std::clamp(posterior, 0.0, 1.0) * 100));
}

Decoder::Decoder(std::string modelDir) : modelDir_(std::move(modelDir))
{}

Decoder::~Decoder()
{
    if (ps_)
        ps_free(ps_);
    if (config_)
        cmd_ln_free_r(config_);
}

bool Decoder::Configure(int accuracy)
{
    accuracy = std::clamp(accuracy, 0, 100);
    if (ps_ && accuracy == accuracy_)
        return true;
    Beams b = BeamsFor(accuracy);
    std::string hmm = modelDir_ + "/en-us", lm = modelDir_ + "/en-us.lm.bin",
                dict = modelDir_ + "/cmudict-en-us.dict";
    cmd_ln_t* config = cmd_ln_init(
        nullptr, ps_args(), TRUE, "-hmm", hmm.c_str(), "-lm", lm.c_str(), "-dict", dict.c_str(),
        "-logfn", "/dev/null", "-beam", Sci(b.beam).c_str(), "-pbeam", Sci(b.pbeam).c_str(),
        "-wbeam", Sci(b.wbeam).c_str(), "-lpbeam", Sci(b.lpbeam).c_str(), "-lponlybeam",
        Sci(b.lponlybeam).c_str(), "-fwdflatbeam", Sci(b.fwdflatbeam).c_str(), "-fwdflatwbeam",
        Sci(b.fwdflatwbeam).c_str(), nullptr);
    if (!config)
        return false;
    if (ps_) {
        if (ps_reinit(ps_, config) < 0) {
            cmd_ln_free_r(config);
            return false;
        }
    } else {
        ps_ = ps_init(config);
        if (!ps_) {
            cmd_ln_free_r(config);
            return false;
        }
    }
    if (config_)
        cmd_ln_free_r(config_);
    config_ = config;
    accuracy_ = accuracy;
    used_ = false;
    return true;
}

bool Decoder::StartFile()
{
    // The front end and the cepstral mean adapt as they hear; a reload forgets it all.
    return !used_ || ps_reinit(ps_, nullptr) >= 0;
}

Decoded Decoder::Decode(const std::vector<int16_t>& samples, const std::function<bool()>& stop)
{
    using Clock = std::chrono::steady_clock;
    auto began = Clock::now();
    used_ = true;
    ps_start_utt(ps_);
    for (size_t at = 0; at < samples.size(); at += kChunkSamples) {
        if (stop()) {
            ps_end_utt(ps_);
            Decoded aborted;
            aborted.aborted = true;
            return aborted;
        }
        size_t n = std::min(kChunkSamples, samples.size() - at);
        ps_process_raw(ps_, samples.data() + at, n, FALSE, FALSE);
    }
    ps_end_utt(ps_);
    Decoded d = Collect();
    d.decodeMs = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
    return d;
}

Decoded Decoder::Collect()
{
    Decoded d;
    d.phrases = 1; // the best phrase, even when it is empty
    int32 score = 0;
    const char* hyp = ps_get_hyp(ps_, &score);
    if (hyp && *hyp) {
        // Builds the lattice and its posteriors, which the segments then carry.
        ps_get_prob(ps_);
        logmath_t* lmath = ps_get_logmath(ps_);
        for (ps_seg_t* seg = ps_seg_iter(ps_); seg; seg = ps_seg_next(seg)) {
            std::string word = ps_seg_word(seg);
            if (IsFiller(word))
                continue;
            int32 ascr = 0, lscr = 0, lback = 0;
            int32 prob = ps_seg_prob(seg, &ascr, &lscr, &lback);
            int first = 0, last = 0;
            ps_seg_frames(seg, &first, &last);
            if (d.firstFrame < 0)
                d.firstFrame = first;
            d.endFrame = last + 1;
            DecodedWord w;
            w.text = BaseWord(word);
            w.posterior = logmath_exp(lmath, prob);
            w.score = ScoreFromPosterior(w.posterior);
            d.words.push_back(w);
        }
        std::set<std::string> distinct;
        ps_nbest_t* nbest = ps_nbest(ps_);
        for (int looked = 0; nbest && looked < kMaxPhrases; ++looked) {
            int32 nscore = 0;
            const char* text = ps_nbest_hyp(nbest, &nscore);
            if (text)
                distinct.insert(text);
            nbest = ps_nbest_next(nbest);
        }
        if (nbest)
            ps_nbest_free(nbest);
        d.phrases = std::max<int>(1, static_cast<int>(distinct.size()));
    }
    return d;
}

bool Decoder::StartStream()
{
    if (!StartFile())
        return false;
    used_ = true;
    // Frames are counted from here, so that the words' frames are on the stream's clock.
    return ps_start_stream(ps_) >= 0 && ps_start_utt(ps_) >= 0;
}

bool Decoder::Hear(const int16_t* samples, size_t count)
{
    ps_process_raw(ps_, samples, count, FALSE, FALSE);
    return ps_get_in_speech(ps_) != 0;
}

Decoded Decoder::FinishUtterance()
{
    using Clock = std::chrono::steady_clock;
    auto began = Clock::now();
    ps_end_utt(ps_);
    Decoded d = Collect();
    d.decodeMs = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
    ps_start_utt(ps_);
    return d;
}

void Decoder::EndStream()
{
    ps_end_utt(ps_);
}

int Decoder::FramesPerSecond() const
{
    return cmd_ln_int32_r(config_, "-frate");
}

int Decoder::StartSpeechFrames() const
{
    return cmd_ln_int32_r(config_, "-vad_startspeech");
}

int Decoder::PostSpeechFrames() const
{
    return cmd_ln_int32_r(config_, "-vad_postspeech");
}

} // namespace recogniser
