// tarvell_recogniser: decodes WAV files and live audio with PocketSphinx for the stand-in engine.
//   --serve --port-file FILE [--port N] [--log FILE]   serve on 127.0.0.1 (port 0: any free one)
//   --decode FILE [--accuracy N]                       print what a client would be sent
//   --listen FILE [--accuracy N] [--stamp]             the same for the file as a microphone
//   --probe-mic [DEVICE]                               exit 0 when a capture device works
// All but --probe-mic take --model DIR (default: the Debian en-us model).
#include "audio_source.h"
#include "protocol.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

namespace {

using recogniser::Conversation;
using recogniser::SharedDecoder;

constexpr int kDefaultAccuracy = 50;
// A client that says nothing for this long is dropped, and lets go of the decoder.
constexpr int kIdleSeconds = 120;

struct Options
{
    bool serve = false, stamp = false, probe = false;
    std::string decode, listen, portFile, log, model = TARVELL_MODEL_DIR;
    std::string device = "default";
    int port = 0;
    int accuracy = kDefaultAccuracy;
};

std::mutex logLock;
std::ofstream logFile;

void Log(int client, const char* direction, const std::string& line)
{
    if (!logFile.is_open())
        return;
    std::lock_guard<std::mutex> lock(logLock);
    logFile << client << ' ' << direction << ' ' << line << std::endl;
}

int DecodeToStdout(SharedDecoder& shared, const Options& o)
{
    long left = 0;
    bool failed = false;
    Conversation c(
        shared,
        [&](const std::string& line) {
            std::cout << line << '\n';
            if (line.compare(0, 6, "READY ") == 0)
                left = std::atol(line.c_str() + 6);
            failed = failed || line.compare(0, 4, "ERR ") == 0;
            return true;
        },
        [] { return false; });
    c.Handle("DECODE " + std::to_string(o.accuracy) + " " + o.decode);
    // Asks for the utterances one by one, as the stand-in does.
    for (; left > 0 && !failed; --left)
        c.Handle("NEXT");
    return failed ? 1 : 0;
}

int ListenToStdout(SharedDecoder& shared, const Options& o)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point zero;
    bool played = false;
    Conversation c(
        shared,
        [&](const std::string& lines) {
            if (lines == "LISTENING")
                zero = Clock::now();
            std::string stamp;
            if (o.stamp) {
                auto ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - zero);
                stamp = std::to_string(lines.compare(0, 4, "ERR ") == 0 ? 0 : ms.count()) + " ";
            }
            for (size_t at = 0, eol = 0; eol != std::string::npos; at = eol + 1) {
                eol = lines.find('\n', at);
                std::cout << stamp << lines.substr(at, eol - at) << '\n';
            }
            std::cout.flush();
            played = played || lines == "END eof";
            return true;
        },
        [] { return false; });
    c.Handle("LISTEN " + std::to_string(o.accuracy) + " wav " + o.listen);
    c.AwaitListening();
    return played ? 0 : 1;
}

int ProbeMic(const Options& o)
{
    std::string report;
    bool works = recogniser::ProbeCapture(o.device, report);
    (works ? std::cout : std::cerr) << report << std::endl;
    return works ? 0 : 1;
}

void Serve(SharedDecoder& shared, int fd, int client)
{
    int yes = 1;
    timeval idle{kIdleSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    auto send = [&](const std::string& lines) {
        std::string data = lines + "\n";
        for (size_t at = 0, eol; (eol = data.find('\n', at)) != std::string::npos; at = eol + 1)
            Log(client, "<", data.substr(at, eol - at));
        return ::send(fd, data.data(), data.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(data.size());
    };
    // Closed or reset by the client: a stop.
    auto gone = [fd] {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0)
            return false;
        if (p.revents & (POLLHUP | POLLERR))
            return true;
        char c;
        return recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
    };
    {
        Conversation conversation(shared, send, gone);
        std::string buffer;
        char chunk[4096];
        bool open = true;
        while (open) {
            ssize_t got = recv(fd, chunk, sizeof chunk, 0);
            // Dictating, the client has nothing to say for as long as the speaker talks.
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && conversation.Listening())
                continue;
            if (got <= 0)
                break;
            buffer.append(chunk, static_cast<size_t>(got));
            size_t eol;
            while (open && (eol = buffer.find('\n')) != std::string::npos) {
                std::string line = buffer.substr(0, eol);
                buffer.erase(0, eol + 1);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                Log(client, ">", line);
                open = conversation.Handle(line);
            }
        }
    }
    Log(client, "-", "closed");
    close(fd);
}

int RunServer(SharedDecoder& shared, const Options& o)
{
    if (!o.log.empty())
        logFile.open(o.log, std::ios::app);
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // loopback only
    address.sin_port = htons(static_cast<uint16_t>(o.port));
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0) {
        std::perror("tarvell_recogniser: cannot listen on 127.0.0.1");
        return 1;
    }
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    int port = ntohs(address.sin_port);
    // The port file appears, whole, only once the model is loaded: it means "ready".
    std::string temporary = o.portFile + ".tmp";
    std::ofstream(temporary) << port << '\n';
    if (std::rename(temporary.c_str(), o.portFile.c_str()) != 0) {
        std::perror("tarvell_recogniser: cannot write the port file");
        return 1;
    }
    std::cerr << "tarvell_recogniser: listening on 127.0.0.1:" << port << std::endl;
    for (int client = 1;; ++client) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd < 0)
            continue;
        std::thread(Serve, std::ref(shared), fd, client).detach();
    }
}

int Usage()
{
    std::cerr << "usage: tarvell_recogniser --serve --port-file FILE [--port N] [--log FILE]\n"
                 "       tarvell_recogniser --decode FILE.wav [--accuracy N]\n"
                 "       tarvell_recogniser --listen FILE.wav [--accuracy N] [--stamp]\n"
                 "       any of these with [--model DIR]\n"
                 "       tarvell_recogniser --probe-mic [DEVICE]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--serve")
            o.serve = true;
        else if (a == "--decode" && hasValue)
            o.decode = argv[++i];
        else if (a == "--listen" && hasValue)
            o.listen = argv[++i];
        else if (a == "--stamp")
            o.stamp = true;
        else if (a == "--probe-mic") {
            o.probe = true;
            if (hasValue && argv[i + 1][0] != '-')
                o.device = argv[++i];
        } else if (a == "--port-file" && hasValue)
            o.portFile = argv[++i];
        else if (a == "--port" && hasValue)
            o.port = std::atoi(argv[++i]);
        else if (a == "--log" && hasValue)
            o.log = argv[++i];
        else if (a == "--model" && hasValue)
            o.model = argv[++i];
        else if (a == "--accuracy" && hasValue)
            o.accuracy = std::atoi(argv[++i]);
        else
            return Usage();
    }
    int modes = o.serve + !o.decode.empty() + !o.listen.empty() + o.probe;
    if (modes != 1 || (o.serve && o.portFile.empty()))
        return Usage();
    if (o.probe)
        return ProbeMic(o);
    std::signal(SIGPIPE, SIG_IGN);
    SharedDecoder shared(o.model);
    if (!shared.decoder.Configure(o.serve ? kDefaultAccuracy : o.accuracy)) {
        std::cerr << "tarvell_recogniser: the model in " << o.model << " could not be loaded\n";
        return 1;
    }
    if (o.serve)
        return RunServer(shared, o);
    return o.decode.empty() ? ListenToStdout(shared, o) : DecodeToStdout(shared, o);
}
