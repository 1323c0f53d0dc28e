#include "dict_edit.h"

#include "call.h"
#include "com_object.h"
#include "connection_point.h"
#include "engine_state.h"
#include "journal.h"
#include "live_link.h"
#include "recogniser_link.h"
#include "request_window.h"
#include "results.h"

#include "core/audio_analysis.h"
#include "core/spectral_work.h"
#include "core/text.h"
#include "core/transcript_plan.h"
#include "core/wav_reader.h"

#include <cstdio>
#include <cwctype>
#include <deque>
#include <olectl.h>
#include <map>
#include <memory>

namespace standin {
namespace {

using Microsoft::WRL::ComPtr;

enum Posted : UINT
{
    kRunAction = WM_APP + 1,
    kTranscribeNext,
    kTranscribeEnd,
    kRecogniserStart,
    kRecogniserReply,
    kListenStart,
    kListenNews,
};

struct Action
{
    enum Kind
    {
        Dictate,
        RaiseEvent,
        Report,
    } kind;
    Utterance utterance;
    DISPID id = 0;
};

struct Transcription
{
    bool running = false;
    WPARAM generation = 0;
    std::shared_ptr<const Audio> audio;
    std::vector<PlannedUtterance> plan;
    size_t next = 0;
    // Recogniser mode: the service decodes, next counts the utterances delivered.
    std::unique_ptr<RecogniserLink> link;

    size_t Remaining() const { return (link ? link->Utterances() : plan.size()) - next; }
};

std::wstring TranscriptPath(const std::wstring& wav)
{
    size_t slash = wav.find_last_of(L"\\/");
    size_t dot = wav.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return wav + L".txt";
    return wav.substr(0, dot) + L".txt";
}

std::optional<std::wstring> ReadTextFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    return FromUtf8(bytes);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

class DictEdit : public DispatchObject<IDgnEditDictation, ObjectKind::DictEdit>,
                 public IConnectionPointContainer,
                 private RequestListener
{
public:
    DictEdit() : points_(this), window_(this) {}

    // IUnknown through the main interface, for both bases.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return DispatchObject::QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DispatchObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DispatchObject::Release(); }

    STDMETHODIMP Register(HWND target, VARIANT flags) override
    {
        char handle[32];
        std::snprintf(handle, sizeof handle, "0x%llX",
                      static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(target)));
        Call call("IDgnEditDictation.Register", __uuidof(IDgnEditDictation),
                  Join({handle, VariantText(flags)}));
        if (call.Injected())
            return call.Result();
        if (!IsWindow(target))
            return call.Finish(E_INVALIDARG, "", L"Not a window");
        target_ = target;
        window_.Post(kListenStart);
        return call.Finish(S_OK);
    }

    STDMETHODIMP TranscribeFile(BSTR path) override
    {
        Call call("IDgnEditDictation.TranscribeFile", __uuidof(IDgnEditDictation), Quoted(path));
        if (call.Injected())
            return call.Result();
        std::wstring name = path ? std::wstring(path, SysStringLen(path)) : L"";
        for (const auto& rule : CurrentProfile().transcribeFails) {
            if (rule.path == L"*" || SamePath(rule.path, name))
                return call.Finish(rule.result, "", L"Refused by the scenario");
        }
        if (transcription_.running)
            return call.Finish(E_UNEXPECTED, "", L"A transcription is already running");
        if (live_)
            return call.Finish(E_UNEXPECTED, "", L"The microphone is on: dictation is running");
        if (name.empty())
            return call.Finish(E_INVALIDARG, "", L"No file named");
        WavRead read = ReadWav(name);
        if (!read.audio)
            return call.Finish(E_INVALIDARG, read.problem, FromUtf8(read.problem));

        if (LONG port = RecogniserPort())
            return StartRecogniser(call, name, port);

        auto transcript = ReadTextFile(TranscriptPath(name));
        auto words = SplitWords(transcript ? *transcript : CurrentProfile().fileWords);
        transcription_.audio = std::make_shared<const Audio>(std::move(*read.audio));
        transcription_.plan = PlanTranscription(Analyze(*transcription_.audio), words);
        transcription_.next = 0;
        transcription_.running = true;
        ++transcription_.generation;
        size_t count = transcription_.plan.size();
        if (CurrentProfile().fileInline)
            TranscribeWhole(transcription_.generation);
        else
            window_.Post(kTranscribeNext, transcription_.generation);
        return call.Finish(S_OK, "utterances=" + std::to_string(count));
    }

    STDMETHODIMP TranscribeStop() override
    {
        Call call("IDgnEditDictation.TranscribeStop", __uuidof(IDgnEditDictation));
        if (call.Injected())
            return call.Result();
        if (!transcription_.running)
            return call.Finish(S_FALSE, "not running");
        size_t dropped = transcription_.Remaining();
        EndTranscription();
        return call.Finish(S_OK, "dropped=" + std::to_string(dropped));
    }

    STDMETHODIMP get_LastResult(IDgnResult** result) override
    {
        Call call("IDgnEditDictation.get_LastResult", __uuidof(IDgnEditDictation));
        if (result)
            *result = nullptr;
        if (call.Injected())
            return call.Result();
        if (!result)
            return call.Finish(E_POINTER);
        if (!last_)
            return call.Finish(E_UNEXPECTED, "", L"Nothing has been recognised yet");
        *result = NewResultObject(last_);
        return call.Finish(S_OK);
    }

    STDMETHODIMP SetOption(LONG option, VARIANT value) override
    {
        Call call("IDgnEditDictation.SetOption", __uuidof(IDgnEditDictation),
                  Join({std::to_string(option), VariantText(value)}));
        if (call.Injected())
            return call.Result();
        return call.Finish(S_OK);
    }

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override
    {
        if (points)
            *points = nullptr;
        return E_NOTIMPL;
    }

    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        wchar_t text[40];
        StringFromGUID2(iid, text, 40);
        Call call("IConnectionPointContainer.FindConnectionPoint", IID_IConnectionPointContainer,
                  ToUtf8(text));
        if (point)
            *point = nullptr;
        if (call.Injected())
            return call.Result();
        if (!point)
            return call.Finish(E_POINTER);
        if (iid != DIID__DDgnDictEditEvents)
            return call.Finish(CONNECT_E_NOCONNECTION);
        *point = &points_;
        points_.AddRef();
        return call.Finish(S_OK);
    }

protected:
    HRESULT QueryOther(REFIID iid, void** out) override
    {
        if (iid == IID_IConnectionPointContainer) {
            *out = static_cast<IConnectionPointContainer*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }

private:
    bool OnRequest(const std::string& text) override
    {
        Script script = ParseScript(text);
        if (script.error) {
            JournalLine("request-error", {"line " + std::to_string(script.error->line) + ": " +
                                          script.error->message});
            return false;
        }
        JournalLine("request", {Escape(FromUtf8(text))});
        for (const Command& command : script.commands) {
            if (std::holds_alternative<cmd::Crash>(command)) {
                // Only an engine in a process of its own can crash without the program.
                if (Form() != ServerForm::Local)
                    return false;
                Crash();
            }
            if (auto* listen = std::get_if<cmd::Listen>(&command)) {
                if (!Listen(*listen))
                    return false;
                continue;
            }
            Action action{Action::Report, {}, 0};
            if (auto* dictate = std::get_if<cmd::Dictate>(&command)) {
                action.kind = Action::Dictate;
                action.utterance = dictate->utterance;
            } else if (auto* event = std::get_if<cmd::Event>(&command)) {
                action.kind = Action::RaiseEvent;
                action.id = event->id;
            } else if (!std::holds_alternative<cmd::Report>(command)) {
                ApplySettings(command);
                continue;
            }
            actions_.push_back(action);
            window_.Post(kRunAction);
        }
        return true;
    }

    void OnPosted(UINT message, WPARAM wParam) override
    {
        ComPtr<IDgnEditDictation> keepAlive(this);
        switch (message) {
        case kRunAction: RunAction(); break;
        case kTranscribeNext: TranscribeNext(wParam); break;
        case kTranscribeEnd: points_.Raise(kDgnEventTranscriptionEnded); break;
        case kRecogniserStart:
            if (transcription_.running && wParam == transcription_.generation)
                RecogniseNext();
            break;
        case kRecogniserReply: RecogniserReplied(wParam); break;
        case kListenStart: ListenAsTold(); break;
        case kListenNews: Heard(wParam); break;
        }
    }

    void RunAction()
    {
        if (actions_.empty())
            return;
        Action action = actions_.front();
        actions_.pop_front();
        switch (action.kind) {
        case Action::Dictate: {
            // The engine's clock: milliseconds since the system started.
            long long nowMs = NowMicroseconds() / 1000;
            auto result =
                std::make_shared<RecognitionResult>(ResolveUtterance(action.utterance, nowMs));
            double ms = action.utterance.processingMs.value_or(CurrentProfile().processingMs);
            Recognize(result, ms, nullptr, 0);
            break;
        }
        case Action::RaiseEvent: points_.Raise(action.id); break;
        case Action::Report: WriteSummary("request"); break;
        }
    }

    void TranscribeNext(WPARAM generation)
    {
        Transcription& t = transcription_;
        if (!t.running || generation != t.generation)
            return;
        if (t.next >= t.plan.size()) {
            EndTranscription();
            return;
        }
        const PlannedUtterance& u = t.plan[t.next++];
        auto result = std::make_shared<RecognitionResult>();
        result->words = u.words;
        result->wordCount = static_cast<LONG>(u.words.size());
        auto start = static_cast<long long>(u.startMs + 0.5);
        auto end = static_cast<long long>(u.endMs + 0.5);
        result->startHigh = static_cast<LONG>(start >> 32);
        result->startLow = static_cast<LONG>(start & 0xFFFFFFFF);
        result->endHigh = static_cast<LONG>(end >> 32);
        result->endLow = static_cast<LONG>(end & 0xFFFFFFFF);
        // The audio stays alive through the events, even if a handler stops the transcription.
        auto audio = t.audio;
        size_t rate = audio->sampleRate;
        size_t first =
            std::min(audio->samples.size(), static_cast<size_t>(u.startMs * rate / 1000));
        size_t last = std::min(audio->samples.size(), static_cast<size_t>(u.endMs * rate / 1000));
        double ms = CurrentProfile().fileRtf * (u.endMs - u.startMs);
        Recognize(result, ms, audio->samples.data() + first, last - first);
        if (t.running && generation == t.generation)
            window_.Post(kTranscribeNext, generation);
    }

    // Every utterance and the end inside the call, as an engine of its own may report them.
    void TranscribeWhole(WPARAM generation)
    {
        Transcription& t = transcription_;
        while (t.running && generation == t.generation && t.next < t.plan.size())
            TranscribeNext(generation);
        if (t.running && generation == t.generation)
            EndTranscription(true);
    }

    HRESULT StartRecogniser(Call& call, const std::wstring& name, LONG port)
    {
        HRESULT failure = E_FAIL;
        std::string problem;
        int accuracy = RecogniserAccuracy();
        auto link = RecogniserLink::Open(port, CurrentProfile().recogniserTimeoutMs, accuracy,
                                         UnixPath(name), failure, problem);
        if (!link) {
            JournalLine("recogniser", {"refused", problem});
            return call.Finish(failure, problem, FromUtf8(problem));
        }
        size_t count = link->Utterances();
        JournalLine("recogniser",
                    {"port=" + std::to_string(port), "accuracy=" + std::to_string(accuracy),
                     "utterances=" + std::to_string(count)});
        Transcription& t = transcription_;
        t.audio.reset();
        t.plan.clear();
        t.next = 0;
        t.link = std::move(link);
        t.running = true;
        ++t.generation;
        window_.Post(count ? kRecogniserStart : kTranscribeNext, t.generation);
        return call.Finish(S_OK, "utterances=" + std::to_string(count));
    }

    // Recognition starts when the service is asked, so the program times the service's work.
    void RecogniseNext()
    {
        WPARAM generation = transcription_.generation;
        points_.Raise(kDgnEventRecognitionStarted);
        if (!transcription_.running || generation != transcription_.generation)
            return;
        transcription_.link->RequestNext(
            [this, generation] { window_.Post(kRecogniserReply, generation); });
    }

    void RecogniserReplied(WPARAM generation)
    {
        Transcription& t = transcription_;
        if (!t.running || generation != t.generation)
            return;
        auto reply = t.link->TakeReply();
        if (!reply)
            return;
        if (!reply->result) {
            JournalLine("recogniser", {"ended", reply->problem});
            EndTranscription();
            return;
        }
        ++t.next;
        TypeIntoTarget(*reply->result);
        last_ = std::move(reply->result);
        points_.Raise(kDgnEventResultReady);
        if (!t.running || generation != t.generation)
            return;
        if (t.next < t.link->Utterances())
            RecogniseNext();
        else
            EndTranscription();
    }

    // The scenario's listen line, else TARVELL_STANDIN_LISTEN, once the program has a window
    // for the text.
    void ListenAsTold()
    {
        std::optional<cmd::Listen> told = CurrentProfile().listen;
        if (!told) {
            wchar_t text[1024];
            DWORD length = GetEnvironmentVariableW(L"TARVELL_STANDIN_LISTEN", text, 1024);
            if (length == 0 || length >= 1024)
                return;
            told = ParseListenSetting(std::wstring(text, length));
            if (!told) {
                JournalLine("listen", {"refused", "TARVELL_STANDIN_LISTEN is not understood"});
                return;
            }
        }
        if (told->source != cmd::Listen::Off && !live_)
            Listen(*told);
    }

    // Live dictation and file transcription share the recogniser: one at a time.
    bool Listen(const cmd::Listen& told)
    {
        if (told.source == cmd::Listen::Off) {
            if (live_)
                StopListening("stopped");
            return true;
        }
        std::string problem;
        LONG port = RecogniserPort();
        if (transcription_.running)
            problem = "a file is being transcribed";
        else if (port == 0)
            problem = "no recogniser service";
        std::string source = told.source == cmd::Listen::Wav ? "wav " + UnixPath(told.argument)
                                                             : ToUtf8(L"mic " + told.argument);
        while (!source.empty() && source.back() == ' ')
            source.pop_back();
        if (live_)
            StopListening("stopped");
        std::unique_ptr<LiveLink> link;
        int accuracy = RecogniserAccuracy();
        if (problem.empty())
            link = LiveLink::Open(port, CurrentProfile().recogniserTimeoutMs, accuracy, source,
                                  problem);
        if (!link) {
            JournalLine("listen", {"refused", problem});
            return false;
        }
        JournalLine("listen", {"port=" + std::to_string(port),
                               "accuracy=" + std::to_string(accuracy), "source=" + source});
        live_ = std::move(link);
        WPARAM generation = ++liveGeneration_;
        live_->Start([this, generation] { window_.Post(kListenNews, generation); });
        return true;
    }

    void StopListening(const std::string& reason)
    {
        live_.reset();
        ++liveGeneration_;
        JournalLine("listen", {"ended", reason});
    }

    // As an engine does for a dictating user: recognition starts when speech is heard, and
    // the result is ready once the speaker has finished and it is decoded.
    void Heard(WPARAM generation)
    {
        while (live_ && generation == liveGeneration_) {
            std::optional<LiveNews> news = live_->Take();
            if (!news)
                return;
            switch (news->kind) {
            case LiveNews::SpeechBegan: points_.Raise(kDgnEventRecognitionStarted); break;
            case LiveNews::Result:
                // Speech without words (a cough, a noise) gives no result.
                if (news->result->words.empty()) {
                    JournalLine("listen", {"nothing-recognised"});
                    break;
                }
                TypeIntoTarget(*news->result);
                last_ = std::move(news->result);
                points_.Raise(kDgnEventResultReady);
                break;
            case LiveNews::Ended: StopListening(news->reason); return;
            }
        }
    }

    void EndTranscription(bool raiseNow = false)
    {
        transcription_.link.reset();
        transcription_.running = false;
        ++transcription_.generation;
        if (raiseNow)
            points_.Raise(kDgnEventTranscriptionEnded);
        else
            window_.Post(kTranscribeEnd);
    }

    // One utterance: recognition starts, the work is done, the text is typed, the result is ready.
    void Recognize(std::shared_ptr<const RecognitionResult> result, double processingMs,
                   const float* samples, size_t count)
    {
        points_.Raise(kDgnEventRecognitionStarted);
        WorkFor(processingMs, samples, count);
        TypeIntoTarget(*result);
        last_ = std::move(result);
        points_.Raise(kDgnEventResultReady);
    }

    void TypeIntoTarget(const RecognitionResult& result)
    {
        std::wstring text;
        for (const Word& word : result.words) {
            if (word.text && !word.text->empty())
                text += (text.empty() ? L"" : L" ") + *word.text;
        }
        if (text.empty() || !target_ || !IsWindow(target_))
            return;
        // Asked of the control itself: from another process, GetWindowText gives a window's
        // caption as the system holds it, not what an edit control holds.
        int length = static_cast<int>(SendMessageW(target_, WM_GETTEXTLENGTH, 0, 0));
        if (length > 0) {
            std::wstring existing(static_cast<size_t>(length) + 1, L'\0');
            SendMessageW(target_, WM_GETTEXT, static_cast<WPARAM>(length) + 1,
                         reinterpret_cast<LPARAM>(existing.data()));
            if (!iswspace(existing[static_cast<size_t>(length) - 1]))
                text.insert(text.begin(), L' ');
        }
        SendMessageW(target_, EM_SETSEL, length, length);
        SendMessageW(target_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        JournalLine("typed", {Quoted(text)});
    }

    EventConnectionPoint points_;
    RequestWindow window_;
    HWND target_ = nullptr;
    std::deque<Action> actions_;
    Transcription transcription_;
    std::shared_ptr<const RecognitionResult> last_;
    // Last, so that its reader has stopped before the window it posts to goes.
    std::unique_ptr<LiveLink> live_;
    WPARAM liveGeneration_ = 0;
};

} // namespace

IDgnEditDictation* NewDictEdit()
{
    return new DictEdit();
}

} // namespace standin
