#include "script.h"

#include "text.h"

#include <cerrno>
#include <cstdlib>
#include <olectl.h>

namespace standin {
namespace {

const char* const kOperations[] = {
    "DgnEngineControl.Create",
    "DgnDictEdit.Create",
    "IDgnEngineControl.get_Speaker",
    "IDgnEngineControl.GetVocabularyName",
    "IDgnEngineControl.GetEngineVersion",
    "IDgnEngineControl.GetState",
    "IDgnEngineControl.SetFeature",
    "IDgnEngineControl.GetParameter",
    "IDgnEngineControl.SetParameter",
    "IDgnEngineControl.GetSourceName",
    "IDgnEngineControl.GetCurrentSource",
    "IDgnEngineControl.GetModelName",
    "IDgnEngineControl.GetWaveFileSNR",
    "IDgnEditDictation.Register",
    "IDgnEditDictation.TranscribeFile",
    "IDgnEditDictation.TranscribeStop",
    "IDgnEditDictation.get_LastResult",
    "IDgnEditDictation.SetOption",
    "IDgnResult.GetStartTime",
    "IDgnResult.GetEndTime",
    "IDgnResult.GetPhrases",
    "ResultTime.GetHighPart",
    "ResultTime.GetLowPart",
    "ResultPhraseList.get_Item",
    "ResultPhraseList.GetCount",
    "IDgnResPhrase.get_Words",
    "IDgnResWords.get_Item",
    "IDgnResWords.GetCount",
    "IDgnResWord.get_Text",
    "IDgnResWord.get_ConfidenceScore",
    "IConnectionPointContainer.FindConnectionPoint",
    "IConnectionPoint.Advise",
    "IConnectionPoint.Unadvise",
};

struct NamedResult
{
    const char* name;
    HRESULT value;
};

const NamedResult kNamedResults[] = {
    {"S_OK", S_OK},
    {"S_FALSE", S_FALSE},
    {"E_FAIL", E_FAIL},
    {"E_NOTIMPL", E_NOTIMPL},
    {"E_INVALIDARG", E_INVALIDARG},
    {"E_OUTOFMEMORY", E_OUTOFMEMORY},
    {"E_POINTER", E_POINTER},
    {"E_UNEXPECTED", E_UNEXPECTED},
    {"E_ACCESSDENIED", E_ACCESSDENIED},
    {"E_ABORT", E_ABORT},
    {"E_NOINTERFACE", E_NOINTERFACE},
    {"REGDB_E_CLASSNOTREG", REGDB_E_CLASSNOTREG},
    {"CLASS_E_CLASSNOTAVAILABLE", CLASS_E_CLASSNOTAVAILABLE},
    {"CONNECT_E_NOCONNECTION", CONNECT_E_NOCONNECTION},
    {"CONNECT_E_ADVISELIMIT", CONNECT_E_ADVISELIMIT},
};

struct Failure
{
    std::string message;
};

std::optional<long long> ParseInteger(const std::string& token)
{
    if (token.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(token.c_str(), &end, 0);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

std::optional<double> ParseReal(const std::string& token)
{
    if (token.empty())
        return std::nullopt;
    char* end = nullptr;
    double value = std::strtod(token.c_str(), &end);
    if (*end != '\0')
        return std::nullopt;
    return value;
}

// Reads the tokens of one line in turn; every read that fails throws the reason.
class LineReader
{
public:
    explicit LineReader(const std::string& line) : line_(line) {}

    std::string Token(const char* what)
    {
        std::string token = NextToken(line_, pos_);
        if (token.empty())
            throw Failure{std::string("missing ") + what};
        return token;
    }
    long long Integer(const char* what, long long low, long long high)
    {
        std::string token = Token(what);
        auto value = ParseInteger(token);
        if (!value || *value < low || *value > high)
            throw Failure{std::string("bad ") + what + " '" + token + "'"};
        return *value;
    }
    LONG Long(const char* what) { return static_cast<LONG>(Integer(what, LONG_MIN, LONG_MAX)); }
    double Real(const char* what)
    {
        std::string token = Token(what);
        auto value = ParseReal(token);
        if (!value)
            throw Failure{std::string("bad ") + what + " '" + token + "'"};
        return *value;
    }
    HRESULT Result()
    {
        std::string token = Token("HRESULT");
        auto value = ParseHResult(token);
        if (!value)
            throw Failure{"bad HRESULT '" + token + "'"};
        return *value;
    }
    std::wstring Text()
    {
        auto text = Unescape(RestOfLine(line_, pos_));
        if (!text)
            throw Failure{"bad escape in text"};
        pos_ = line_.size();
        return *text;
    }
    // The rest of the line as written, before any escape is read.
    std::string Raw() const { return RestOfLine(line_, pos_); }
    std::string Peek()
    {
        size_t pos = pos_;
        return NextToken(line_, pos);
    }
    void End()
    {
        if (!NextToken(line_, pos_).empty())
            throw Failure{"unexpected text at the end of the line"};
    }

private:
    const std::string& line_;
    size_t pos_ = 0;
};

ParameterValue ReadParameterValue(LineReader& in)
{
    struct TypeName
    {
        const char* name;
        VARTYPE type;
    };
    static const TypeName kTypes[] = {
        {"EMPTY", VT_EMPTY}, {"I1", VT_I1},     {"I2", VT_I2},     {"I4", VT_I4},
        {"UI1", VT_UI1},     {"UI2", VT_UI2},   {"UI4", VT_UI4},   {"R4", VT_R4},
        {"R8", VT_R8},       {"BOOL", VT_BOOL}, {"BSTR", VT_BSTR},
    };
    std::string name = in.Token("VARIANT type");
    for (const TypeName& t : kTypes) {
        if (name != t.name)
            continue;
        ParameterValue value;
        value.type = t.type;
        if (t.type == VT_BSTR)
            value.text = in.Text();
        else if (t.type != VT_EMPTY)
            value.number = in.Real("value");
        return value;
    }
    throw Failure{"unknown VARIANT type '" + name + "'"};
}

FailureRule ReadFailure(LineReader& in)
{
    FailureRule rule;
    rule.operation = in.Token("operation");
    if (!IsKnownOperation(rule.operation))
        throw Failure{"unknown operation '" + rule.operation + "'"};
    rule.result = in.Result();
    std::string next = in.Peek();
    if (next == "nth" || next == "from") {
        in.Token("mode");
        rule.when = next == "nth" ? FailWhen::NthCall : FailWhen::FromNthCall;
        rule.n = static_cast<long>(in.Integer("call number", 1, LONG_MAX));
        next = in.Peek();
    }
    if (next == "text") {
        in.Token("text");
        rule.description = in.Text();
    }
    in.End();
    return rule;
}

// Reads the lines of a dictate block up to its "end".
Utterance ReadUtterance(const std::vector<std::string>& lines, size_t& index, int& lineNumber)
{
    Utterance utterance;
    for (++index; index < lines.size(); ++index) {
        lineNumber = static_cast<int>(index) + 1;
        LineReader in(lines[index]);
        std::string key = in.Peek();
        if (key.empty() || key[0] == '#')
            continue;
        in.Token("keyword");
        if (key == "end") {
            in.End();
            return utterance;
        }
        if (key == "word") {
            Word word;
            word.score = in.Long("score");
            if (in.Raw() != "\\null")
                word.text = in.Text();
            utterance.words.push_back(word);
            continue;
        }
        if (key == "start-time" || key == "end-time") {
            LONG high = in.Long("high half");
            LONG low = in.Long("low half");
            (key == "start-time" ? utterance.start : utterance.end) = std::make_pair(high, low);
        } else if (key == "phrases") {
            utterance.phraseCount = in.Long("phrase count");
        } else if (key == "word-count") {
            utterance.wordCount = in.Long("word count");
        } else if (key == "processing-ms") {
            utterance.processingMs = in.Real("milliseconds");
        } else {
            throw Failure{"unknown keyword '" + key + "' in a dictate block"};
        }
        in.End();
    }
    throw Failure{"dictate block without 'end'"};
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

Command ReadCommand(const std::string& key, LineReader& in)
{
    if (key == "speaker")
        return cmd::Speaker{in.Text()};
    if (key == "version") {
        auto major = static_cast<short>(in.Integer("version", SHRT_MIN, SHRT_MAX));
        auto minor = static_cast<short>(in.Integer("version", SHRT_MIN, SHRT_MAX));
        auto build = static_cast<short>(in.Integer("version", SHRT_MIN, SHRT_MAX));
        in.End();
        return cmd::Version{major, minor, build};
    }
    if (key == "source") {
        LONG id = in.Long("source id");
        return cmd::Source{id, in.Text()};
    }
    if (key == "model")
        return cmd::Model{in.Text()};
    if (key == "vocabulary")
        return cmd::Vocabulary{in.Text()};
    if (key == "parameter") {
        LONG number = in.Long("parameter number");
        ParameterValue value = ReadParameterValue(in);
        in.End();
        return cmd::Parameter{number, value};
    }
    if (key == "feature") {
        LONG number = in.Long("feature number");
        LONG value = in.Long("feature value");
        in.End();
        return cmd::Feature{number, value};
    }
    if (key == "state") {
        LONG value = in.Long("state");
        in.End();
        return cmd::State{value};
    }
    if (key == "processing-ms") {
        double ms = in.Real("milliseconds");
        in.End();
        if (ms < 0 || ms > 600000)
            throw Failure{"processing-ms out of range"};
        return cmd::ProcessingMs{ms};
    }
    if (key == "file-rtf") {
        double factor = in.Real("factor");
        in.End();
        if (factor < 0 || factor > 100)
            throw Failure{"file-rtf out of range"};
        return cmd::FileRtf{factor};
    }
    if (key == "file-inline") {
        in.End();
        return cmd::FileInline{};
    }
    if (key == "file-words")
        return cmd::FileWords{in.Text()};
    if (key == "transcribe-fails") {
        HRESULT result = in.Result();
        return cmd::TranscribeFails{result, in.Text()};
    }
    if (key == "fail")
        return cmd::Fail{ReadFailure(in)};
    if (key == "recogniser") {
        if (in.Peek() == "off") {
            in.Token("off");
            in.End();
            return cmd::Recogniser{0};
        }
        auto port = static_cast<LONG>(in.Integer("port", 1, 65535));
        in.End();
        return cmd::Recogniser{port};
    }
    if (key == "recogniser-timeout-ms") {
        double ms = in.Real("milliseconds");
        in.End();
        if (ms <= 0 || ms > 3600000)
            throw Failure{"recogniser-timeout-ms out of range"};
        return cmd::RecogniserTimeoutMs{ms};
    }
    if (key == "clear-failures") {
        in.End();
        return cmd::ClearFailures{};
    }
    if (key == "event") {
        auto id = static_cast<DISPID>(in.Integer("dispatch id", LONG_MIN, LONG_MAX));
        in.End();
        return cmd::Event{id};
    }
    if (key == "report") {
        in.End();
        return cmd::Report{};
    }
    if (key == "crash") {
        in.End();
        return cmd::Crash{};
    }
    if (key == "listen") {
        std::string source = in.Token("off, wav or mic");
        if (source == "off") {
            in.End();
            return cmd::Listen{cmd::Listen::Off, {}};
        }
        if (source == "wav") {
            std::wstring path = in.Text();
            if (path.empty())
                throw Failure{"listen wav needs a file"};
            return cmd::Listen{cmd::Listen::Wav, path};
        }
        if (source == "mic")
            return cmd::Listen{cmd::Listen::Mic, in.Text()};
        throw Failure{"listen takes off, wav or mic"};
    }
    throw Failure{"unknown keyword '" + key + "'"};
}

} // namespace

Script ParseScript(const std::string& text)
{
    Script script;
    std::vector<std::string> lines = SplitLines(text);
    int lineNumber = 0;
    try {
        for (size_t i = 0; i < lines.size(); ++i) {
            lineNumber = static_cast<int>(i) + 1;
            LineReader in(lines[i]);
            std::string key = in.Peek();
            if (key.empty() || key[0] == '#')
                continue;
            in.Token("keyword");
            if (key == "dictate") {
                in.End();
                script.commands.push_back(cmd::Dictate{ReadUtterance(lines, i, lineNumber)});
                continue;
            }
            script.commands.push_back(ReadCommand(key, in));
        }
    } catch (const Failure& failure) {
        script.commands.clear();
        script.error = ParseError{lineNumber, failure.message};
    }
    return script;
}

std::optional<HRESULT> ParseHResult(const std::string& token)
{
    for (const NamedResult& named : kNamedResults) {
        if (token == named.name)
            return named.value;
    }
    auto value = ParseInteger(token);
    if (!value || *value < LONG_MIN || *value > 0xFFFFFFFFLL)
        return std::nullopt;
    return static_cast<HRESULT>(static_cast<unsigned long>(*value));
}

bool IsKnownOperation(const std::string& operation)
{
    for (const char* known : kOperations) {
        if (operation == known)
            return true;
    }
    return false;
}

std::optional<cmd::Listen> ParseListenSetting(const std::wstring& value)
{
    const wchar_t* blanks = L" \t";
    size_t first = value.find_first_not_of(blanks);
    if (first == std::wstring::npos)
        return std::nullopt;
    size_t split = value.find_first_of(blanks, first);
    std::wstring source = value.substr(first, split == std::wstring::npos ? split : split - first);
    std::wstring argument;
    if (split != std::wstring::npos) {
        size_t from = value.find_first_not_of(blanks, split);
        size_t to = value.find_last_not_of(blanks);
        if (from != std::wstring::npos)
            argument = value.substr(from, to - from + 1);
    }
    if (source == L"off" && argument.empty())
        return cmd::Listen{cmd::Listen::Off, {}};
    if (source == L"wav" && !argument.empty())
        return cmd::Listen{cmd::Listen::Wav, argument};
    if (source == L"mic")
        return cmd::Listen{cmd::Listen::Mic, argument};
    return std::nullopt;
}

} // namespace standin
