#include "protocol.h"

#include "listener.h"
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

bool DecoderHold::try_lock_for(std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> lock(lock_);
    if (!free_.wait_for(lock, wait, [this] { return !held_; }))
        return false;
    held_ = true;
    return true;
}

void DecoderHold::unlock()
{
    {
        std::lock_guard<std::mutex> lock(lock_);
        held_ = false;
    }
    free_.notify_one();
}

std::string UtteranceLines(size_t index, double startMs, double endMs, const Decoded& d)
{
    std::string lines =
        Format("UTT %zu %lld %lld %d %.3f %zu", index, static_cast<long long>(startMs + 0.5),
               static_cast<long long>(endMs + 0.5), d.phrases, d.decodeMs, d.words.size());
    for (const DecodedWord& w : d.words)
        lines += "\n" + Format("WORD %d %.6f %s", w.score, w.posterior, w.text.c_str());
    return lines;
}

Conversation::Conversation(SharedDecoder& shared, Send send, std::function<bool()> clientGone)
    : shared_(shared), send_(std::move(send)), clientGone_(std::move(clientGone)),
      hold_(shared.busy, std::defer_lock)
{}

Conversation::~Conversation()
{
    StopListening();
}

bool Conversation::Handle(const std::string& line)
{
    std::string verb = line.substr(0, line.find(' '));
    std::string rest = verb.size() < line.size() ? line.substr(verb.size() + 1) : "";
    if (Listening())
        return WhileListening(verb);
    if (verb == "PING")
        return Say("PONG");
    if (verb == "DECODE")
        return Decode(rest);
    if (verb == "NEXT")
        return Next();
    if (verb == "LISTEN")
        return Listen(rest);
    if (verb == "STOP")
        return false;
    return Say("ERR request unknown command");
}

bool Conversation::Say(const std::string& lines)
{
    std::lock_guard<std::mutex> lock(sayLock_);
    return send_(lines);
}

bool Conversation::Decode(const std::string& arguments)
{
    if (hold_.owns_lock())
        return Say("ERR request a decode is already running on this connection");
    char* end = nullptr;
    long accuracy = std::strtol(arguments.c_str(), &end, 10);
    if (end == arguments.c_str() || *end != ' ' || end[1] == '\0')
        return Say("ERR request expected DECODE <accuracy> <path>");
    std::string path = end + 1;
    if (!hold_.try_lock_for(kBusyWait))
        return Say("ERR busy another client holds the recogniser");
    WavFile file = ReadWavFile(path);
    if (!file.ok) {
        Release();
        return Say(std::string(file.unreadable ? "ERR unreadable " : "ERR format ") + file.problem);
    }
    if (!shared_.decoder.Configure(static_cast<int>(accuracy)) || !shared_.decoder.StartFile()) {
        Release();
        return Say("ERR recogniser the model could not be loaded");
    }
    audio_ = std::move(file.audio);
    utterances_ = standin::Analyze(audio_).utterances;
    next_ = 0;
    if (utterances_.empty())
        Release();
    return Say(Format("READY %zu", utterances_.size()));
}

bool Conversation::Next()
{
    if (!hold_.owns_lock() || next_ >= utterances_.size())
        return Say("ERR request no utterance left");
    const standin::Segment& u = utterances_[next_];
    auto samples = Samples16k(audio_, u.startMs - kPaddingMs, u.endMs + kPaddingMs);
    Decoded d = shared_.decoder.Decode(samples, clientGone_);
    if (d.aborted)
        return false;
    // One send for the whole reply: small writes in a row wait for acknowledgements.
    std::string reply = UtteranceLines(next_, u.startMs, u.endMs, d);
    if (++next_ == utterances_.size())
        Release();
    return Say(reply);
}

bool Conversation::Listen(const std::string& arguments)
{
    if (hold_.owns_lock())
        return Say("ERR request a decode is already running on this connection");
    char* end = nullptr;
    long accuracy = std::strtol(arguments.c_str(), &end, 10);
    std::string rest = end == arguments.c_str() || *end != ' ' ? "" : end + 1;
    std::string source = rest.substr(0, rest.find(' '));
    std::string target = source.size() < rest.size() ? rest.substr(source.size() + 1) : "";
    if (!(source == "wav" && !target.empty()) && source != "mic")
        return Say(
            "ERR request expected LISTEN <accuracy> wav <path> or LISTEN <accuracy> mic [device]");
    std::unique_lock<DecoderHold> hold(shared_.busy, std::defer_lock);
    if (!hold.try_lock_for(kBusyWait))
        return Say("ERR busy another client holds the recogniser");
    Opened opened = source == "wav" ? OpenWavSource(target)
                                    : OpenCaptureSource(target.empty() ? "default" : target);
    if (!opened.source)
        return Say("ERR " + opened.kind + " " + opened.problem);
    Decoder& decoder = shared_.decoder;
    if (!decoder.Configure(static_cast<int>(accuracy)) || !decoder.StartStream())
        return Say("ERR recogniser the model could not be loaded");
    // The clock starts only now, with the model ready: no audio waits behind its reload.
    std::string problem;
    if (!opened.source->Start(problem)) {
        decoder.EndStream();
        return Say("ERR device " + problem);
    }
    if (listener_.joinable())
        listener_.join(); // the last listening, which has ended
    stop_ = false;
    {
        std::lock_guard<std::mutex> lock(sayLock_);
        if (!send_("LISTENING")) {
            decoder.EndStream();
            return false;
        }
        listening_ = true;
    }
    listener_ =
        std::thread([this, hold = std::move(hold), source = std::move(opened.source)]() mutable {
            ListenEnd end = ListenTo(*source, shared_.decoder, stop_,
                                     [this](const std::string& lines) { return Say(lines); });
            shared_.decoder.EndStream();
            source.reset(); // the device is free again before the decoder is
            hold.unlock();
            std::lock_guard<std::mutex> lock(sayLock_);
            listening_ = false;
            if (end.why != ListenEnd::Gone)
                send_(EndLine(end));
        });
    return true;
}

bool Conversation::WhileListening(const std::string& verb)
{
    if (verb == "PING")
        return Say("PONG");
    if (verb == "STOP") {
        StopListening();
        return true;
    }
    return Say("ERR request listening");
}

bool Conversation::Listening()
{
    std::lock_guard<std::mutex> lock(sayLock_);
    return listening_;
}

void Conversation::AwaitListening()
{
    if (listener_.joinable())
        listener_.join();
}

void Conversation::StopListening()
{
    stop_ = true;
    AwaitListening();
}

void Conversation::Release()
{
    if (hold_.owns_lock())
        hold_.unlock();
    audio_ = {};
    utterances_.clear();
}

} // namespace recogniser
