// The stand-in's one grammar: a scenario file and every run-time request are scripts of lines
// in it. A script is parsed whole before anything of it is applied, so a bad line changes nothing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace standin {

struct Word
{
    LONG score = 0;
    std::optional<std::wstring> text; // none: the word's text is a null BSTR
};

struct Utterance
{
    std::vector<Word> words;
    // Stamps as (high, low) halves in milliseconds; none: taken from the clock.
    std::optional<std::pair<LONG, LONG>> start;
    std::optional<std::pair<LONG, LONG>> end;
    // What the result reports, whatever it holds; none: the true counts.
    std::optional<LONG> phraseCount;
    std::optional<LONG> wordCount;
    std::optional<double> processingMs;
};

enum class FailWhen
{
    Always,
    NthCall,
    FromNthCall,
};

struct FailureRule
{
    std::string operation; // "Interface.Method", or "Class.Create" for object creation
    HRESULT result = E_FAIL;
    FailWhen when = FailWhen::Always;
    long n = 0;
    std::optional<std::wstring> description;
};

// A parameter value as the scenario gives it; the server turns it into a VARIANT.
struct ParameterValue
{
    VARTYPE type = VT_EMPTY;
    double number = 0;
    std::wstring text;
};

namespace cmd {
struct Speaker
{
    std::wstring name;
};
struct Version
{
    short major, minor, build;
};
struct Source
{
    LONG id;
    std::wstring name;
};
struct Model
{
    std::wstring name;
};
struct Vocabulary
{
    std::wstring name;
};
struct Parameter
{
    LONG number;
    ParameterValue value;
};
struct Feature
{
    LONG number;
    LONG value;
};
struct State
{
    LONG value;
};
struct ProcessingMs
{
    double ms;
};
struct FileRtf
{
    double factor;
};
// A file's whole transcription, its end included, is reported before TranscribeFile returns.
struct FileInline
{
};
struct FileWords
{
    std::wstring text;
};
struct TranscribeFails
{
    HRESULT result;
    std::wstring path;
}; // path "*" matches every path
struct Fail
{
    FailureRule rule;
};
struct Recogniser
{
    LONG port; // 0: files are transcribed from their transcripts
};
struct RecogniserTimeoutMs
{
    double ms;
};
struct ClearFailures
{
};
struct Dictate
{
    Utterance utterance;
};
struct Event
{
    DISPID id;
};
struct Report
{
};
struct Crash
{
};
struct Listen
{
    enum Source
    {
        Off,
        Wav, // argument: the file that the virtual microphone plays
        Mic, // argument: the capture device, empty for the default one
    } source;
    std::wstring argument;
};
} // namespace cmd

using Command = std::variant<cmd::Speaker, cmd::Version, cmd::Source, cmd::Model, cmd::Vocabulary,
                             cmd::Parameter, cmd::Feature, cmd::State, cmd::ProcessingMs,
                             cmd::FileRtf, cmd::FileInline, cmd::FileWords, cmd::TranscribeFails,
                             cmd::Fail, cmd::ClearFailures, cmd::Dictate, cmd::Event, cmd::Report,
                             cmd::Crash, cmd::Recogniser, cmd::RecogniserTimeoutMs, cmd::Listen>;

struct ParseError
{
    int line = 0;
    std::string message;
};

struct Script
{
    std::vector<Command> commands;
    std::optional<ParseError> error; // set: commands is empty
};

Script ParseScript(const std::string& text);

// A listen setting as a user writes it in the environment ("wav C:\dir\file.wav", "mic",
// "mic plughw:1", "off"): the path as it is, with no script escapes. None when it is not one.
std::optional<cmd::Listen> ParseListenSetting(const std::wstring& value);

// "0x80004005", a decimal number or a name such as E_INVALIDARG.
std::optional<HRESULT> ParseHResult(const std::string& token);

// The operations that failures can be armed for.
bool IsKnownOperation(const std::string& operation);

} // namespace standin
