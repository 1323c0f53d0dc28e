// Live dictation by the recogniser service: it listens to a source (a WAV file played at the
// pace of the clock, or a capture device) and tells, as it hears them, where utterances
// begin and what they said. A reader thread hands each piece of news to the dictation
// object's thread.
#pragma once

#include "results.h"
#include "service_connection.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace standin {

struct LiveNews
{
    enum Kind
    {
        SpeechBegan,
        Result, // result: the utterance, its times on the microphone's clock
        Ended,  // reason: eof, stopped, device ..., or why the connection failed
    } kind;
    std::shared_ptr<RecognitionResult> result;
    std::string reason;
};

class LiveLink
{
public:
    // Connects and asks the service to listen ("wav /unix/path" or "mic [device]"); waits
    // for it to begin. Null on failure, with the reason.
    static std::unique_ptr<LiveLink> Open(LONG port, double timeoutMs, int accuracy,
                                          const std::string& source, std::string& problem);
    // Closes the connection, which stops the listening, and waits for the reader.
    ~LiveLink();

    // notify runs on the reader's thread after each piece of news.
    void Start(std::function<void()> notify);
    std::optional<LiveNews> Take();

private:
    explicit LiveLink(ServiceSocket socket) : socket_(socket) {}
    void Read();
    void Tell(LiveNews news);

    ServiceSocket socket_;
    std::string buffer_; // received, not yet taken as lines
    std::mutex lock_;
    bool stopping_ = false;
    std::function<void()> notify_;
    std::deque<LiveNews> news_;
    std::thread reader_;
};

} // namespace standin
