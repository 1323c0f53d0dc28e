#include "engine_state.h"

#include "journal.h"

#include "core/text.h"

#include <type_traits>

namespace standin {
namespace {

struct EngineState
{
    Profile profile;
    std::vector<ArmedFailure> failures;
    std::wstring scenarioPath;
    std::string scenarioText;
};

CRITICAL_SECTION* Lock()
{
    static CRITICAL_SECTION* lock = [] {
        auto* cs = new CRITICAL_SECTION;
        InitializeCriticalSection(cs);
        return cs;
    }();
    return lock;
}

class Locked
{
public:
    Locked() { EnterCriticalSection(Lock()); }
    ~Locked() { LeaveCriticalSection(Lock()); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

EngineState& State()
{
    static EngineState* state = [] {
        auto* s = new EngineState;
        s->profile.parameters[1] = ParameterValue{VT_I4, 0, L""};
        s->profile.parameters[7] = ParameterValue{VT_I4, 50, L""};
        return s;
    }();
    return *state;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

} // namespace

void RefreshScenario()
{
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetEnvironmentVariableW(L"TARVELL_STANDIN_SCENARIO", buffer, MAX_PATH + 1);
    std::wstring path = length > 0 && length <= MAX_PATH ? buffer : L"";
    std::string text;
    if (!path.empty()) {
        auto read = ReadWholeFile(path);
        if (!read) {
            Locked lock;
            if (State().scenarioPath != path)
                JournalLine("scenario-error", {Quoted(path), "cannot read the file"});
            State().scenarioPath = path;
            return;
        }
        text = *read;
    }
    {
        Locked lock;
        if (State().scenarioPath == path && State().scenarioText == text)
            return;
        State().scenarioPath = path;
        State().scenarioText = text;
    }
    Script script = ParseScript(text);
    // Every load starts from the defaults, so a bad file leaves the defaults in force.
    {
        Locked lock;
        EngineState fresh;
        fresh.profile.parameters[1] = ParameterValue{VT_I4, 0, L""};
        fresh.profile.parameters[7] = ParameterValue{VT_I4, 50, L""};
        fresh.scenarioPath = path;
        fresh.scenarioText = text;
        State() = std::move(fresh);
    }
    if (path.empty())
        return;
    if (script.error) {
        JournalLine("scenario-error", {Quoted(path), "line " + std::to_string(script.error->line) +
                                                         ": " + script.error->message});
        return;
    }
    for (const Command& command : script.commands) {
        if (std::holds_alternative<cmd::Dictate>(command) ||
            std::holds_alternative<cmd::Event>(command) ||
            std::holds_alternative<cmd::Report>(command))
            continue; // things to do now belong in requests
        ApplySettings(command);
    }
    JournalLine("scenario", {Quoted(path)});
}

Profile& CurrentProfile()
{
    return State().profile;
}

void ApplySettings(const Command& command)
{
    Locked lock;
    Profile& p = State().profile;
    std::visit(
        [&](const auto& c) {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, cmd::Speaker>) {
                p.speaker = c.name;
            } else if constexpr (std::is_same_v<T, cmd::Version>) {
                p.version[0] = c.major;
                p.version[1] = c.minor;
                p.version[2] = c.build;
            } else if constexpr (std::is_same_v<T, cmd::Source>) {
                p.sourceId = c.id;
                p.sourceName = c.name;
            } else if constexpr (std::is_same_v<T, cmd::Model>) {
                p.model = c.name;
            } else if constexpr (std::is_same_v<T, cmd::Vocabulary>) {
                p.vocabulary = c.name;
            } else if constexpr (std::is_same_v<T, cmd::Parameter>) {
                p.parameters[c.number] = c.value;
            } else if constexpr (std::is_same_v<T, cmd::Feature>) {
                p.features[c.number] = c.value;
            } else if constexpr (std::is_same_v<T, cmd::State>) {
                p.state = c.value;
            } else if constexpr (std::is_same_v<T, cmd::ProcessingMs>) {
                p.processingMs = c.ms;
            } else if constexpr (std::is_same_v<T, cmd::FileRtf>) {
                p.fileRtf = c.factor;
            } else if constexpr (std::is_same_v<T, cmd::FileInline>) {
                p.fileInline = true;
            } else if constexpr (std::is_same_v<T, cmd::FileWords>) {
                p.fileWords = c.text;
            } else if constexpr (std::is_same_v<T, cmd::TranscribeFails>) {
                p.transcribeFails.push_back(c);
            } else if constexpr (std::is_same_v<T, cmd::Recogniser>) {
                p.recogniserPort = c.port;
            } else if constexpr (std::is_same_v<T, cmd::RecogniserTimeoutMs>) {
                p.recogniserTimeoutMs = c.ms;
            } else if constexpr (std::is_same_v<T, cmd::Listen>) {
                p.listen = c;
            } else if constexpr (std::is_same_v<T, cmd::Fail>) {
                State().failures.push_back(ArmedFailure{c.rule, 0});
            } else if constexpr (std::is_same_v<T, cmd::ClearFailures>) {
                State().failures.clear();
            }
        },
        command);
}

std::optional<FailureRule> TakeFailure(const char* operation)
{
    Locked lock;
    std::optional<FailureRule> fired;
    for (ArmedFailure& armed : State().failures) {
        if (armed.rule.operation != operation)
            continue;
        long call = ++armed.calls;
        bool fires = armed.rule.when == FailWhen::Always ||
                     (armed.rule.when == FailWhen::NthCall && call == armed.rule.n) ||
                     (armed.rule.when == FailWhen::FromNthCall && call >= armed.rule.n);
        if (fires && !fired)
            fired = armed.rule;
    }
    return fired;
}

} // namespace standin
