#include "protocol.h"

#include "wav_file.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace recogniser {
namespace {

// Silence kept around each utterance, so that the recogniser sees it start and end.
constexpr double kPaddingMs = 100;
// A second request waits this long for a stopped one to let go of the decoder.
constexpr auto kBusyWait = std::chrono::milliseconds(500);

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

} // namespace

Conversation::Conversation(SharedDecoder& shared, Send send, std::function<bool()> clientGone)
    : shared_(shared), send_(std::move(send)), clientGone_(std::move(clientGone)),
      hold_(shared.busy, std::defer_lock)
{}

Conversation::~Conversation() = default;

bool Conversation::Handle(const std::string& line)
{
    std::string verb = line.substr(0, line.find(' '));
    std::string rest = verb.size() < line.size() ? line.substr(verb.size() + 1) : "";
    if (verb == "PING")
        return send_("PONG");
    if (verb == "DECODE")
        return Decode(rest);
    if (verb == "NEXT")
        return Next();
    if (verb == "STOP")
        return false;
    return send_("ERR request unknown command");
}

bool Conversation::Decode(const std::string& arguments)
{
    if (hold_.owns_lock())
        return send_("ERR request a decode is already running on this connection");
    char* end = nullptr;
    long accuracy = std::strtol(arguments.c_str(), &end, 10);
    if (end == arguments.c_str() || *end != ' ' || end[1] == '\0')
        return send_("ERR request expected DECODE <accuracy> <path>");
    std::string path = end + 1;
    if (!hold_.try_lock_for(kBusyWait))
        return send_("ERR busy another file is being decoded");
    WavFile file = ReadWavFile(path);
    if (!file.ok) {
        Release();
        return send_(std::string(file.unreadable ? "ERR unreadable " : "ERR format ") +
                     file.problem);
    }
    if (!shared_.decoder.Configure(static_cast<int>(accuracy)) || !shared_.decoder.StartFile()) {
        Release();
        return send_("ERR recogniser the model could not be loaded");
    }
    audio_ = std::move(file.audio);
    utterances_ = standin::Analyze(audio_).utterances;
    next_ = 0;
    if (utterances_.empty())
        Release();
    return send_(Format("READY %zu", utterances_.size()));
}

bool Conversation::Next()
{
    if (!hold_.owns_lock() || next_ >= utterances_.size())
        return send_("ERR request no utterance left");
    const standin::Segment& u = utterances_[next_];
    auto samples = Samples16k(audio_, u.startMs - kPaddingMs, u.endMs + kPaddingMs);
    Decoded d = shared_.decoder.Decode(samples, clientGone_);
    if (d.aborted)
        return false;
    // One send for the whole reply: small writes in a row wait for acknowledgements.
    std::string reply =
        Format("UTT %zu %lld %lld %d %.3f %zu", next_, static_cast<long long>(u.startMs + 0.5),
               static_cast<long long>(u.endMs + 0.5), d.phrases, d.decodeMs, d.words.size());
    for (const DecodedWord& w : d.words)
        reply += "\n" + Format("WORD %d %.6f %s", w.score, w.posterior, w.text.c_str());
    if (++next_ == utterances_.size())
        Release();
    return send_(reply);
}

void Conversation::Release()
{
    if (hold_.owns_lock())
        hold_.unlock();
    audio_ = {};
    utterances_.clear();
}

} // namespace recogniser
