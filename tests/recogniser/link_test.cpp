// The stand-in's recogniser mode against a scripted service in this process: every way the
// service can fail ends the transcription with a failure code or event 7, never a hang.
#include <winsock2.h>

#include "standin_test_support.h"

#include "app/com_owners.h"

#include <atomic>
#include <thread>

using namespace standin;
using namespace standin::testing;

namespace {

std::string ReadLine(SOCKET s)
{
    std::string line;
    char c;
    while (recv(s, &c, 1, 0) == 1 && c != '\n')
        line += c;
    return line;
}

void Send(SOCKET s, const std::string& text)
{
    send(s, text.data(), static_cast<int>(text.size()), 0);
}

// Waits until the client closes; true when it did within the time.
bool ClientCloses(SOCKET s, DWORD timeoutMs)
{
    DWORD until = GetTickCount() + timeoutMs;
    char c;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval wait{0, 50000};
        if (select(0, &readable, nullptr, nullptr, &wait) > 0 && recv(s, &c, 1, 0) <= 0)
            return true;
    }
    return false;
}

// A loopback listener that plays a script with the one client it accepts.
class FakeService
{
public:
    explicit FakeService(std::function<void(SOCKET)> script)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, script] {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            script(client);
            closesocket(client);
        });
    }
    ~FakeService()
    {
        closesocket(listener_);
        thread_.join();
    }
    int Port() const { return port_; }

private:
    SOCKET listener_;
    int port_ = 0;
    std::thread thread_;
};

// A port where nothing listens: one that was just free.
int ClosedPort()
{
    FakeService gone([](SOCKET) {});
    int port = gone.Port();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address); // lets the fake end
    closesocket(s);
    return port;
}

const char* const kUtterance = "UTT 0 100 400 3 12.5 2\nWORD 87 0.870000 hello\nWORD 5 0.050000 "
                               "w\xC3\xB6rld\n";

class RecogniserMode : public StandinTest
{
protected:
    ComPtr<IDgnEditDictation> Start(int port, int timeoutMs = 400)
    {
        WriteScenario(control::Scenario()
                          .Line("recogniser " + std::to_string(port))
                          .Line("recogniser-timeout-ms " + std::to_string(timeoutMs)));
        testfiles::Write(Path(L"speech.wav"),
                         WavBytes(BurstsInNoise({{100, 400}}, 600, 16000, 20), 16000, 1, 16));
        return CreateDictation();
    }
};

TEST_F(RecogniserMode, AnswersBeforeTheStartAreFailureCodes)
{
    struct Case
    {
        const char* what;
        std::function<void(SOCKET)> script;
        HRESULT expected;
    };
    const Case cases[] = {
        {"busy with another file", [](SOCKET s) { ReadLine(s), Send(s, "ERR busy decoding\n"); },
         E_UNEXPECTED},
        {"file it cannot read",
         [](SOCKET s) { ReadLine(s), Send(s, "ERR unreadable cannot open the file\n"); },
         E_INVALIDARG},
        {"unknown complaint", [](SOCKET s) { ReadLine(s), Send(s, "ERR recogniser no model\n"); },
         E_FAIL},
        {"no answer", [](SOCKET s) { ReadLine(s), ClientCloses(s, 5000); }, E_FAIL},
        {"drops the connection", [](SOCKET s) { ReadLine(s); }, E_FAIL},
    };
    for (const Case& c : cases) {
        FakeService service(c.script);
        auto dictation = Start(service.Port());
        EventSink sink;
        DWORD cookie = Advise(dictation.Get(), &sink);
        Bstr path(Path(L"speech.wav").c_str());
        DWORD before = GetTickCount();
        EXPECT_EQ(dictation->TranscribeFile(path.Get()), c.expected) << c.what;
        EXPECT_LT(GetTickCount() - before, 3000u) << c.what;
        PumpUntil([] { return false; }, 200);
        EXPECT_TRUE(sink.ids.empty()) << c.what;
        Unadvise(dictation.Get(), cookie);
    }
    auto dictation = Start(ClosedPort());
    Bstr path(Path(L"speech.wav").c_str());
    EXPECT_EQ(dictation->TranscribeFile(path.Get()), E_FAIL) << "nothing listening";
}

TEST_F(RecogniserMode, EachUtteranceIsAskedForBetweenItsEvents)
{
    std::vector<std::string> requests;
    FakeService service([&](SOCKET s) {
        requests.push_back(ReadLine(s));
        Send(s, "READY 2\n");
        for (int i = 0; i < 2; ++i) {
            requests.push_back(ReadLine(s));
            Send(s, kUtterance);
        }
        ClientCloses(s, 5000);
    });
    auto dictation = Start(service.Port());
    EventSink sink;
    std::vector<std::wstring> words;
    std::vector<LONG> scores;
    LONG phrases = 0;
    sink.onEvent = [&](DISPID id) {
        if (id != 1)
            return;
        ComPtr<IDgnResult> result;
        ASSERT_EQ(dictation->get_LastResult(&result), S_OK);
        ComPtr<IUnknown> list;
        CallPlace(result.Get(), 3, list.GetAddressOf());
        CallPlace(list.Get(), 2, &phrases);
        ComPtr<IUnknown> phrase, wordList;
        CallPlace(list.Get(), 1, 0L, phrase.GetAddressOf());
        CallPlace(phrase.Get(), 2, wordList.GetAddressOf());
        for (LONG i = 0; i < 2; ++i) {
            ComPtr<IUnknown> word;
            BSTR text = nullptr;
            LONG score = 0;
            CallPlace(wordList.Get(), 1, i, word.GetAddressOf());
            CallPlace(word.Get(), 1, &text);
            CallPlace(word.Get(), 4, &score);
            words.push_back(text ? text : L"");
            scores.push_back(score);
            SysFreeString(text);
        }
    };
    DWORD cookie = Advise(dictation.Get(), &sink);
    Bstr path(Path(L"speech.wav").c_str());
    ASSERT_EQ(dictation->TranscribeFile(path.Get()), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !sink.ids.empty() && sink.ids.back() == 7; }));
    EXPECT_EQ(sink.ids, (std::vector<DISPID>{8, 1, 8, 1, 7}));
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].rfind("DECODE 50 /", 0), 0u) << requests[0]; // a Unix path
    EXPECT_EQ(requests[1], "NEXT");
    EXPECT_EQ(words, (std::vector<std::wstring>{L"hello", L"w\u00F6rld", L"hello", L"w\u00F6rld"}));
    EXPECT_EQ(scores, (std::vector<LONG>{87, 5, 87, 5}));
    EXPECT_EQ(phrases, 3);
    Unadvise(dictation.Get(), cookie);
}

TEST_F(RecogniserMode, TroubleAfterTheStartEndsWithEvent7)
{
    struct Case
    {
        const char* what;
        std::function<void(SOCKET)> afterFirstNext;
        std::vector<DISPID> events;
    };
    const Case cases[] = {
        {"connection dropped", [](SOCKET) {}, {8, 7}},
        {"no answer", [](SOCKET s) { ClientCloses(s, 5000); }, {8, 7}},
        {"nonsense", [](SOCKET s) { Send(s, "HELLO\n"), ClientCloses(s, 5000); }, {8, 7}},
        {"words missing",
         [](SOCKET s) { Send(s, "UTT 0 1 2 1 3 2\n"), ClientCloses(s, 5000); },
         {8, 7}},
        {"one utterance, then dropped",
         [](SOCKET s) { Send(s, kUtterance), ReadLine(s); },
         {8, 1, 8, 7}},
    };
    for (const Case& c : cases) {
        FakeService service([&](SOCKET s) {
            ReadLine(s);
            Send(s, "READY 3\n");
            ReadLine(s);
            c.afterFirstNext(s);
        });
        auto dictation = Start(service.Port());
        EventSink sink;
        DWORD cookie = Advise(dictation.Get(), &sink);
        Bstr path(Path(L"speech.wav").c_str());
        ASSERT_EQ(dictation->TranscribeFile(path.Get()), S_OK) << c.what;
        EXPECT_TRUE(PumpUntil([&] { return !sink.ids.empty() && sink.ids.back() == 7; }, 5000))
            << c.what;
        EXPECT_EQ(sink.ids, c.events) << c.what;
        Unadvise(dictation.Get(), cookie);
    }
}

TEST_F(RecogniserMode, StopClosesTheConnectionAndRaisesEvent7)
{
    std::atomic<bool> closed{false};
    FakeService service([&](SOCKET s) {
        ReadLine(s);
        Send(s, "READY 3\n");
        ReadLine(s);
        closed = ClientCloses(s, 5000); // decoding, as far as the client knows
    });
    auto dictation = Start(service.Port(), 60000);
    EventSink sink;
    DWORD cookie = Advise(dictation.Get(), &sink);
    Bstr path(Path(L"speech.wav").c_str());
    ASSERT_EQ(dictation->TranscribeFile(path.Get()), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !sink.ids.empty(); }));
    EXPECT_EQ(dictation->TranscribeStop(), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return closed.load() && sink.ids.back() == 7; }, 3000));
    EXPECT_EQ(sink.ids, (std::vector<DISPID>{8, 7}));
    Unadvise(dictation.Get(), cookie);
}

} // namespace
