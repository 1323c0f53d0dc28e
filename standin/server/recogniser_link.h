// File transcription by the recogniser service (a native program on this machine, reached
// over loopback TCP): the connection, and a reader thread that hands each decoded utterance
// to the dictation object's thread as a posted message.
#pragma once

#include "results.h"
#include "service_connection.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace standin {

// The service's port for this process: the scenario's `recogniser`, else
// TARVELL_STANDIN_RECOGNISER; 0 means transcripts are used instead.
LONG RecogniserPort();

// Parameter 7 (speed versus accuracy) as the service takes it: 0 to 100, 50 when unset.
int RecogniserAccuracy();

// The file's Unix path under Wine, or the path as it is where there is no Wine.
std::string UnixPath(const std::wstring& path);

struct RecogniserReply
{
    std::shared_ptr<RecognitionResult> result; // null: the transcription ends here
    std::string problem;                       // why it ended, for the journal
};

class RecogniserLink
{
public:
    // Connects, asks for the file and waits for the answer. Null on failure, with the HRESULT
    // for TranscribeFile and the reason.
    static std::unique_ptr<RecogniserLink> Open(LONG port, double timeoutMs, int accuracy,
                                                const std::string& path, HRESULT& failure,
                                                std::string& problem);
    // Closes the connection, which stops the service's work, and waits for the reader.
    ~RecogniserLink();

    size_t Utterances() const { return utterances_; }
    // Asks for the next utterance; notify runs on the reader's thread once the reply is there.
    void RequestNext(std::function<void()> notify);
    std::optional<RecogniserReply> TakeReply();

private:
    RecogniserLink(ServiceSocket socket, double timeoutMs, size_t utterances);
    void Read();
    RecogniserReply ReadUtterance();

    ServiceSocket socket_;
    double timeoutMs_;
    size_t utterances_;
    std::string buffer_; // received, not yet taken as lines
    std::mutex lock_;
    std::condition_variable wake_;
    bool pending_ = false, stopping_ = false;
    std::function<void()> notify_;
    std::deque<RecogniserReply> replies_;
    std::thread reader_;
};

} // namespace standin
