// One client's conversation with the service, as lines of text; the server and the
// command-line decoder both speak through it, so they report the same things.
#pragma once

#include "decoder.h"
#include "audio_analysis.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace recogniser {

// Who holds the decoder. Unlike a mutex it may be let go by another thread than the one that
// took it: a listening thread lets go when its audio ends.
class DecoderHold
{
public:
    bool try_lock_for(std::chrono::milliseconds wait);
    void unlock();

private:
    std::mutex lock_;
    std::condition_variable free_;
    bool held_ = false;
};

// The one decoder, and who holds it.
struct SharedDecoder
{
    explicit SharedDecoder(std::string modelDir) : decoder(std::move(modelDir)) {}
    Decoder decoder;
    DecoderHold busy;
};

// An utterance's UTT line and its WORD lines.
std::string UtteranceLines(size_t index, double startMs, double endMs, const Decoded& d);

class Conversation
{
public:
    // One or more lines, without the last line break; false: the client is gone.
    using Send = std::function<bool(const std::string& lines)>;
    Conversation(SharedDecoder& shared, Send send, std::function<bool()> clientGone);
    ~Conversation();

    // Answers one request line; false ends the conversation. Safe to call while a listening
    // thread sends.
    bool Handle(const std::string& line);

    // Audio is being listened to: the client may be silent for as long as it lasts.
    bool Listening();
    // Returns once listening has ended.
    void AwaitListening();

private:
    bool Decode(const std::string& arguments);
    bool Next();
    void Release();
    bool Listen(const std::string& arguments);
    bool WhileListening(const std::string& verb);
    void StopListening();
    // Sends from either thread, a reply's lines together.
    bool Say(const std::string& lines);

    SharedDecoder& shared_;
    Send send_;
    std::function<bool()> clientGone_;
    std::unique_lock<DecoderHold> hold_; // a DECODE's; a LISTEN's belongs to its thread
    std::mutex sayLock_;
    bool listening_ = false; // under sayLock_, so that END and idleness come together
    std::atomic<bool> stop_{false};
    std::thread listener_;
    standin::Audio audio_;
    std::vector<standin::Segment> utterances_;
    size_t next_ = 0;
};

} // namespace recogniser
