// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "recogniser_link.h"

#include "engine_state.h"

#include "core/text.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace standin {
namespace {

using Clock = std::chrono::steady_clock;

bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// One line from the socket, waiting until the deadline; none when the time is up or the
// connection closed (the reason is set).
std::optional<std::string> ReadLine(SOCKET s, std::string& buffer, Clock::time_point deadline,
                                    std::string& problem)
{
    for (;;) {
        size_t eol = buffer.find('\n');
        if (eol != std::string::npos) {
            std::string line = buffer.substr(0, eol);
            buffer.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            problem = "no answer in time";
            return std::nullopt;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval wait{static_cast<long>(left.count() / 1000000),
                     static_cast<long>(left.count() % 1000000)};
        int ready = select(0, &readable, nullptr, nullptr, &wait);
        if (ready == 0)
            continue;
        char chunk[4096];
        int got = ready > 0 ? recv(s, chunk, sizeof chunk, 0) : -1;
        if (got <= 0) {
            problem = "the connection was dropped";
            return std::nullopt;
        }
        buffer.append(chunk, static_cast<size_t>(got));
    }
}

bool SendLine(SOCKET s, const std::string& line)
{
    std::string data = line + "\n";
    return send(s, data.data(), static_cast<int>(data.size()), 0) == static_cast<int>(data.size());
}

Clock::time_point After(double ms)
{
    return Clock::now() + std::chrono::microseconds(static_cast<long long>(ms * 1000));
}

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
    if (!StartWinsock()) {
        problem = "winsock did not start";
        return nullptr;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        problem = "no socket";
        return nullptr;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    // Each request is one small write that should leave at once.
    BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        problem = "the recogniser service cannot be reached on port " + std::to_string(port);
        return nullptr;
    }
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
    closesocket(s);
    return nullptr;
}

RecogniserLink::RecogniserLink(UINT_PTR socket, double timeoutMs, size_t utterances)
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
    shutdown(socket_, SD_BOTH);
    reader_.join();
    closesocket(socket_);
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
    auto line = ReadLine(socket_, buffer_, deadline, reply.problem);
    if (!line)
        return reply;
    size_t index = 0, words = 0;
    long long start = 0, end = 0;
    int phrases = 0;
    double decodeMs = 0;
    if (std::sscanf(line->c_str(), "UTT %zu %lld %lld %d %lf %zu", &index, &start, &end, &phrases,
                    &decodeMs, &words) != 6) {
        reply.problem = "the service answered: " + *line;
        return reply;
    }
    auto result = std::make_shared<RecognitionResult>();
    for (size_t i = 0; i < words; ++i) {
        auto word = ReadLine(socket_, buffer_, deadline, reply.problem);
        if (!word)
            return reply;
        int score = 0, used = 0;
        double posterior = 0;
        if (std::sscanf(word->c_str(), "WORD %d %lf %n", &score, &posterior, &used) != 2 ||
            used == 0) {
            reply.problem = "the service answered: " + *word;
            return reply;
        }
        result->words.push_back(Word{score, FromUtf8(word->substr(static_cast<size_t>(used)))});
    }
    result->wordCount = static_cast<LONG>(words);
    result->phraseCount = phrases;
    result->startHigh = static_cast<LONG>(start >> 32);
    result->startLow = static_cast<LONG>(start & 0xFFFFFFFF);
    result->endHigh = static_cast<LONG>(end >> 32);
    result->endLow = static_cast<LONG>(end & 0xFFFFFFFF);
    reply.result = std::move(result);
    return reply;
}

} // namespace standin
