// One client's conversation with the service, as lines of text; the server and the
// command-line decoder both speak through it, so they report the same things.
#pragma once

#include "decoder.h"
#include "audio_analysis.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace recogniser {

// The one decoder, and who holds it.
struct SharedDecoder
{
    explicit SharedDecoder(std::string modelDir) : decoder(std::move(modelDir)) {}
    Decoder decoder;
    std::timed_mutex busy;
};

class Conversation
{
public:
    // One or more lines, without the last line break; false: the client is gone.
    using Send = std::function<bool(const std::string& lines)>;
    Conversation(SharedDecoder& shared, Send send, std::function<bool()> clientGone);
    ~Conversation();

    // Answers one request line; false ends the conversation.
    bool Handle(const std::string& line);

private:
    bool Decode(const std::string& arguments);
    bool Next();
    void Release();

    SharedDecoder& shared_;
    Send send_;
    std::function<bool()> clientGone_;
    std::unique_lock<std::timed_mutex> hold_;
    standin::Audio audio_;
    std::vector<standin::Segment> utterances_;
    size_t next_ = 0;
};

} // namespace recogniser
