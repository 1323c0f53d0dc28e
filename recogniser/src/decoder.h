// PocketSphinx behind a small interface: one decoder, set up for a speed-versus-accuracy
// value, decoding one utterance's samples at a time, or one stream of audio that its own
// speech detector cuts into utterances.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ps_decoder_s;
struct cmd_ln_s;

namespace recogniser {

// The recogniser's beams for the engine's parameter 7 (0 fastest .. 100 most accurate).
struct Beams
{
    double beam, pbeam, wbeam, lpbeam, lponlybeam, fwdflatbeam, fwdflatwbeam;
};
Beams BeamsFor(int accuracy);

// A posterior probability (0..1) as the engine's integer confidence score.
int ScoreFromPosterior(double posterior);

// A result's phrases: the distinct texts among the first this many n-best hypotheses.
constexpr int kMaxPhrases = 10;

struct DecodedWord
{
    std::string text;
    double posterior = 0;
    int score = 0;
};

struct Decoded
{
    std::vector<DecodedWord> words; // the best phrase, fillers left out
    int phrases = 0;                // distinct texts among the first n-best hypotheses
    double decodeMs = 0;            // the recogniser's own time for this utterance
    bool aborted = false;
    // Where the first word starts and the last one ends, in frames of the stream (live
    // decoding only); -1 without words.
    long firstFrame = -1, endFrame = -1;
};

class Decoder
{
public:
    explicit Decoder(std::string modelDir);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Loads the model with the beams of this accuracy, unless they are loaded already.
    bool Configure(int accuracy);
    int Accuracy() const { return accuracy_; }

    // Forgets what earlier files taught the recogniser, so that a file decodes the same
    // whatever came before it.
    bool StartFile();

    // Decodes one utterance; stop() is asked between chunks and ends the work early.
    Decoded Decode(const std::vector<int16_t>& samples, const std::function<bool()>& stop);

    // Live decoding: a stream of 16 kHz samples, fed as it arrives. Starts as a file does,
    // with nothing learnt from earlier audio.
    bool StartStream();
    // Feeds samples; true while the speech detector hears speech.
    bool Hear(const int16_t* samples, size_t count);
    // Decodes the utterance heard since the last one, and listens on for the next.
    Decoded FinishUtterance();
    void EndStream();
    // The speech detector's settings: frames per second, the run of speech frames it needs
    // to say speech began, and the silence frames it waits to say speech ended.
    int FramesPerSecond() const;
    int StartSpeechFrames() const;
    int PostSpeechFrames() const;

private:
    Decoded Collect(); // the words of the utterance just ended

    std::string modelDir_;
    int accuracy_ = -1;
    cmd_ln_s* config_ = nullptr;
    ps_decoder_s* ps_ = nullptr;
    bool used_ = false; // something was decoded since the model was loaded
};

} // namespace recogniser
