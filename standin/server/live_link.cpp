#include "live_link.h"

namespace standin {
namespace {

// A speaker may pause for any time: the reader waits in steps of this long.
constexpr double kQuietStepMs = 3600000;

} // namespace

std::unique_ptr<LiveLink> LiveLink::Open(LONG port, double timeoutMs, int accuracy,
                                         const std::string& source, std::string& problem)
{
    ServiceSocket s = ConnectToService(port, problem);
    if (s == kNoConnection)
        return nullptr;
    std::string buffer;
    std::optional<std::string> answer;
    if (source.find('\n') != std::string::npos)
        problem = "a line break in the source";
    else if (!SendLine(s, "LISTEN " + std::to_string(accuracy) + " " + source))
        problem = "the connection was dropped";
    else
        answer = ReadLine(s, buffer, After(timeoutMs), problem);
    if (answer && *answer == "LISTENING") {
        std::unique_ptr<LiveLink> link(new LiveLink(s));
        link->buffer_ = std::move(buffer);
        return link;
    }
    if (answer)
        problem = "the service answered: " + *answer;
    CloseService(s);
    return nullptr;
}

LiveLink::~LiveLink()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    ShutDownService(socket_);
    if (reader_.joinable())
        reader_.join();
    CloseService(socket_);
}

void LiveLink::Start(std::function<void()> notify)
{
    notify_ = std::move(notify);
    reader_ = std::thread([this] { Read(); });
}

std::optional<LiveNews> LiveLink::Take()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (news_.empty())
        return std::nullopt;
    LiveNews news = std::move(news_.front());
    news_.pop_front();
    return news;
}

void LiveLink::Tell(LiveNews news)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (stopping_)
        return;
    news_.push_back(std::move(news));
    notify_();
}

void LiveLink::Read()
{
    for (;;) {
        std::string problem;
        auto line = ReadLine(socket_, buffer_, After(kQuietStepMs), problem);
        if (!line) {
            if (problem == "no answer in time")
                continue;
            Tell({LiveNews::Ended, nullptr, problem});
            return;
        }
        if (line->compare(0, 7, "SPEECH ") == 0) {
            Tell({LiveNews::SpeechBegan, nullptr, {}});
        } else if (line->compare(0, 4, "UTT ") == 0) {
            auto result = ReadUtterance(socket_, buffer_, *line, After(kQuietStepMs), problem);
            if (!result) {
                Tell({LiveNews::Ended, nullptr, problem});
                return;
            }
            Tell({LiveNews::Result, std::move(result), {}});
        } else if (line->compare(0, 4, "END ") == 0) {
            Tell({LiveNews::Ended, nullptr, line->substr(4)});
            return;
        } else if (*line != "PONG") {
            Tell({LiveNews::Ended, nullptr, "the service answered: " + *line});
            return;
        }
    }
}

} // namespace standin
