#include "recogniser_link.h"

#include "engine_state.h"

#include "core/text.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace standin {
namespace {

// "ERR busy ...": a second file while one is decoded, as when the engine itself is busy;
// a file the service cannot open or take: the code of an unsuitable file.
HRESULT FailureOf(const std::string& error)
{
    std::istringstream in(error);
    std::string err, kind;
    in >> err >> kind;
    if (kind == "busy")
        return E_UNEXPECTED;
    if (kind == "unreadable" || kind == "format")
        return E_INVALIDARG;
    return E_FAIL;
}

} // namespace

LONG RecogniserPort()
{
    if (auto port = CurrentProfile().recogniserPort)
        return *port;
    wchar_t text[16];
    DWORD length = GetEnvironmentVariableW(L"TARVELL_STANDIN_RECOGNISER", text, 16);
    if (length == 0 || length >= 16)
        return 0;
    long port = std::wcstol(text, nullptr, 10);
    return port > 0 && port <= 65535 ? port : 0;
}

int RecogniserAccuracy()
{
    const auto& parameters = CurrentProfile().parameters;
    auto found = parameters.find(7);
    if (found == parameters.end() || found->second.type == VT_EMPTY ||
        found->second.type == VT_BSTR)
        return 50;
    double value = found->second.number;
    return value < 0 ? 0 : value > 100 ? 100 : static_cast<int>(std::lround(value));
}

std::string UnixPath(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    static const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix) {
        if (char* unix = toUnix(path.c_str())) {
            std::string result = unix;
            HeapFree(GetProcessHeap(), 0, unix);
            return result;
        }
    }
    return ToUtf8(path);
}

std::unique_ptr<RecogniserLink> RecogniserLink::Open(LONG port, double timeoutMs, int accuracy,
                                                     const std::string& path, HRESULT& failure,
                                                     std::string& problem)
{
    failure = E_FAIL;
    ServiceSocket s = ConnectToService(port, problem);
    if (s == kNoConnection)
        return nullptr;
    std::string buffer;
    std::optional<std::string> answer;
    if (path.find('\n') != std::string::npos) {
        problem = "a line break in the path";
        failure = E_INVALIDARG;
    } else if (!SendLine(s, "DECODE " + std::to_string(accuracy) + " " + path)) {
        problem = "the connection was dropped";
    } else {
        answer = ReadLine(s, buffer, After(timeoutMs), problem);
    }
    if (answer && answer->compare(0, 6, "READY ") == 0) {
        size_t count = std::strtoul(answer->c_str() + 6, nullptr, 10);
        std::unique_ptr<RecogniserLink> link(new RecogniserLink(s, timeoutMs, count));
        link->buffer_ = std::move(buffer);
        return link;
    }
    if (answer) {
        failure = FailureOf(*answer);
        problem = "the service answered: " + *answer;
    }
    CloseService(s);
    return nullptr;
}

RecogniserLink::RecogniserLink(ServiceSocket socket, double timeoutMs, size_t utterances)
    : socket_(socket), timeoutMs_(timeoutMs), utterances_(utterances), reader_([this] { Read(); })
{}

RecogniserLink::~RecogniserLink()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    // Wakes a reader that waits in select, and tells the service to stop.
    ShutDownService(socket_);
    reader_.join();
    CloseService(socket_);
}

void RecogniserLink::RequestNext(std::function<void()> notify)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        notify_ = std::move(notify);
        pending_ = true;
    }
    wake_.notify_all();
}

std::optional<RecogniserReply> RecogniserLink::TakeReply()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (replies_.empty())
        return std::nullopt;
    RecogniserReply reply = replies_.front();
    replies_.pop_front();
    return reply;
}

void RecogniserLink::Read()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [this] { return pending_ || stopping_; });
            if (stopping_)
                return;
            pending_ = false;
        }
        RecogniserReply reply = SendLine(socket_, "NEXT")
                                    ? ReadUtterance()
                                    : RecogniserReply{nullptr, "the connection was dropped"};
        bool last = !reply.result;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (stopping_)
                return;
            replies_.push_back(std::move(reply));
            notify_();
        }
        if (last)
            return;
    }
}

RecogniserReply RecogniserLink::ReadUtterance()
{
    RecogniserReply reply;
    auto deadline = After(timeoutMs_);
    if (auto line = ReadLine(socket_, buffer_, deadline, reply.problem))
        reply.result = standin::ReadUtterance(socket_, buffer_, *line, deadline, reply.problem);
    return reply;
}

} // namespace standin
