#include "listener.h"

#include "protocol.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace recogniser {

ListenEnd ListenTo(AudioSource& source, Decoder& decoder, const std::atomic<bool>& stop,
                   const std::function<bool(const std::string&)>& say)
{
    const int framesPerSecond = decoder.FramesPerSecond();
    const size_t frameSamples = 16000 / framesPerSecond;
    auto msOf = [&](long frames) { return 1000.0 * frames / framesPerSecond; };
    long heard = 0; // samples since the clock's zero
    size_t index = 0;
    bool inSpeech = false;
    double speechMs = 0;
    // The detector's own bounds stand in when the utterance has no words to place it.
    auto finish = [&](double endMs) {
        Decoded d = decoder.FinishUtterance();
        inSpeech = false;
        double start = d.firstFrame >= 0 ? msOf(d.firstFrame) : speechMs;
        double end = d.endFrame >= 0 ? msOf(d.endFrame) : std::max(endMs, speechMs);
        return say(UtteranceLines(index++, start, end, d));
    };
    std::vector<int16_t> chunk;
    std::string problem;
    while (!stop) {
        AudioSource::Read read = source.Next(chunk, problem);
        if (read != AudioSource::Read::Audio) {
            // What was heard is reported even when the source ends in the middle of it.
            if (inSpeech && !finish(msOf(heard / static_cast<long>(frameSamples))))
                return {ListenEnd::Gone, ""};
            return {read == AudioSource::Read::End ? ListenEnd::Eof : ListenEnd::Device, problem};
        }
        // A frame at a time, so that speech is told within a frame of the detector's saying so.
        for (size_t at = 0; at < chunk.size(); at += frameSamples) {
            size_t count = std::min(frameSamples, chunk.size() - at);
            bool speech = decoder.Hear(chunk.data() + at, count);
            heard += static_cast<long>(count);
            long frame = heard / static_cast<long>(frameSamples);
            if (speech && !inSpeech) {
                // The detector says so after a run of speech frames: the speech began at its start.
                inSpeech = true;
                speechMs = msOf(std::max(0L, frame - decoder.StartSpeechFrames()));
                if (!say("SPEECH " + std::to_string(index) + " " +
                         std::to_string(std::lround(speechMs))))
                    return {ListenEnd::Gone, ""};
            } else if (!speech && inSpeech) {
                // And that it ended after a run of silence frames.
                if (!finish(msOf(frame - decoder.PostSpeechFrames())))
                    return {ListenEnd::Gone, ""};
            }
        }
    }
    return {ListenEnd::Stopped, ""};
}

std::string EndLine(const ListenEnd& end)
{
    switch (end.why) {
    case ListenEnd::Eof: return "END eof";
    case ListenEnd::Device: return "END device " + end.problem;
    case ListenEnd::Stopped: return "END stopped";
    case ListenEnd::Gone: return "";
    }
    return "";
}

} // namespace recogniser
