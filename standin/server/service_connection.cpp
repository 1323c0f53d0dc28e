// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "service_connection.h"

#include "core/text.h"

#include <cstdio>

namespace standin {
namespace {

bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

} // namespace

ServiceClock::time_point After(double ms)
{
    return ServiceClock::now() + std::chrono::microseconds(static_cast<long long>(ms * 1000));
}

ServiceSocket ConnectToService(LONG port, std::string& problem)
{
    if (!StartWinsock()) {
        problem = "winsock did not start";
        return kNoConnection;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        problem = "no socket";
        return kNoConnection;
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
        return kNoConnection;
    }
    return s;
}

void CloseService(ServiceSocket s)
{
    closesocket(s);
}

void ShutDownService(ServiceSocket s)
{
    shutdown(s, SD_BOTH);
}

bool SendLine(ServiceSocket s, const std::string& line)
{
    std::string data = line + "\n";
    return send(s, data.data(), static_cast<int>(data.size()), 0) == static_cast<int>(data.size());
}

std::optional<std::string> ReadLine(ServiceSocket s, std::string& buffer,
                                    ServiceClock::time_point deadline, std::string& problem)
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
        auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - ServiceClock::now());
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

std::shared_ptr<RecognitionResult> ReadUtterance(ServiceSocket s, std::string& buffer,
                                                 const std::string& header,
                                                 ServiceClock::time_point deadline,
                                                 std::string& problem)
{
    size_t index = 0, words = 0;
    long long start = 0, end = 0;
    int phrases = 0;
    double decodeMs = 0;
    if (std::sscanf(header.c_str(), "UTT %zu %lld %lld %d %lf %zu", &index, &start, &end, &phrases,
                    &decodeMs, &words) != 6) {
        problem = "the service answered: " + header;
        return nullptr;
    }
    auto result = std::make_shared<RecognitionResult>();
    for (size_t i = 0; i < words; ++i) {
        auto word = ReadLine(s, buffer, deadline, problem);
        if (!word)
            return nullptr;
        int score = 0, used = 0;
        double posterior = 0;
        if (std::sscanf(word->c_str(), "WORD %d %lf %n", &score, &posterior, &used) != 2 ||
            used == 0) {
            problem = "the service answered: " + *word;
            return nullptr;
        }
        result->words.push_back(Word{score, FromUtf8(word->substr(static_cast<size_t>(used)))});
    }
    result->wordCount = static_cast<LONG>(words);
    result->phraseCount = phrases;
    result->startHigh = static_cast<LONG>(start >> 32);
    result->startLow = static_cast<LONG>(start & 0xFFFFFFFF);
    result->endHigh = static_cast<LONG>(end >> 32);
    result->endLow = static_cast<LONG>(end & 0xFFFFFFFF);
    return result;
}

} // namespace standin
