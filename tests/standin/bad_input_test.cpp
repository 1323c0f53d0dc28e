// Input that is missing, malformed or odd is answered with an HRESULT, never a crash.
#include "standin_test_support.h"

#include "app/com_owners.h"

#include "core/wav_reader.h"

using namespace standin;
using namespace standin::testing;

namespace {

class BadInput : public StandinTest
{
};

std::string GoodWav()
{
    return WavBytes(BurstsInNoise({{100, 400}}, 600, 8000, 20), 8000, 1, 16);
}

std::string FloatWav()
{
    std::string wav = GoodWav();
    wav[20] = 3;  // IEEE float
    wav[34] = 32; // bits per sample
    return wav;
}

// Removes the file and the folders above it up to, not including, the base.
void RemoveNested(const std::wstring& base, std::wstring path)
{
    DeleteFileW(path.c_str());
    for (size_t slash = path.rfind(L'\\'); slash != std::wstring::npos && slash >= base.size();
         slash = path.rfind(L'\\')) {
        path.resize(slash);
        RemoveDirectoryW(path.c_str());
    }
}

// A folder path and a file name that together make exactly `length` characters.
std::wstring PathOfLength(const std::wstring& base, size_t length)
{
    std::wstring folder = base;
    while (folder.size() + 1 + 40 < length - 20) {
        folder += std::wstring(40, L'd') + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    std::wstring name(length - folder.size() - 4, L'n');
    return folder + name + L".wav";
}

} // namespace

TEST_F(BadInput, FilesGiveInvalidArgToBothOperations)
{
    struct Case
    {
        const char* what;
        std::function<std::wstring()> make;
        HRESULT expected;
    };
    const std::wstring base = Path(L"");
    const Case cases[] = {
        {"missing file", [&] { return base + L"missing.wav"; }, E_INVALIDARG},
        {"not a WAV",
         [&] {
             testfiles::Write(base + L"text.wav", "hello, this is no audio");
             return base + L"text.wav";
         },
         E_INVALIDARG},
        {"truncated data chunk",
         [&] {
             std::string wav = GoodWav();
             testfiles::Write(base + L"cut.wav", wav.substr(0, wav.size() / 2));
             return base + L"cut.wav";
         },
         E_INVALIDARG},
        {"0-byte file",
         [&] {
             testfiles::Write(base + L"empty.wav", "");
             return base + L"empty.wav";
         },
         E_INVALIDARG},
        {"32-bit float",
         [&] {
             testfiles::Write(base + L"float.wav", FloatWav());
             return base + L"float.wav";
         },
         E_INVALIDARG},
        {"empty path", [] { return std::wstring(); }, E_INVALIDARG},
        {"259 characters, missing", [&] { return PathOfLength(base + L"m\\", 259); }, E_INVALIDARG},
        {"259 characters, present",
         [&] {
             CreateDirectoryW((base + L"p").c_str(), nullptr);
             std::wstring path = PathOfLength(base + L"p\\", 259);
             testfiles::Write(path, GoodWav());
             return path;
         },
         S_OK},
    };
    auto engine = CreateEngine();
    auto dictation = CreateDictation();
    for (const Case& c : cases) {
        std::wstring path = c.make();
        if (std::string(c.what).find("259") != std::string::npos) {
            ASSERT_EQ(path.size(), 259u) << c.what;
        }
        Bstr name(path.c_str());
        double ratio = 0;
        EXPECT_EQ(engine->GetWaveFileSNR(name.Get(), &ratio), c.expected) << c.what;
        EXPECT_EQ(dictation->TranscribeFile(name.Get()), c.expected) << c.what;
        if (SUCCEEDED(c.expected)) {
            EXPECT_TRUE(
                PumpUntil([&] { return EventsSent(Journal(), kDgnEventTranscriptionEnded) == 1; }));
        }
        RemoveNested(base, path);
    }
}

TEST_F(BadInput, ScenarioCanRefuseAnyPath)
{
    WriteScenario(
        control::Scenario()
            .Line("transcribe-fails E_NOTIMPL " + control::TextArgument(L"C:\\any\\file.mp3"))
            .Line("transcribe-fails 0x80070005 *"));
    auto dictation = CreateDictation();
    Bstr mp3(L"c:\\ANY\\file.mp3"), other(L"C:\\other.wav");
    EXPECT_EQ(dictation->TranscribeFile(mp3.Get()), E_NOTIMPL);
    EXPECT_EQ(dictation->TranscribeFile(other.Get()), E_ACCESSDENIED);
}

TEST_F(BadInput, ScenarioWithASyntaxErrorIsJournaledAndLeavesTheDefaults)
{
    WriteScenario(control::Scenario().Speaker(L"Someone").Line("version 1 2 three"));
    auto engine = CreateEngine();
    Bstr speaker;
    EXPECT_EQ(engine->get_Speaker(speaker.Out()), S_OK);
    EXPECT_STREQ(speaker.Text(), L"Demo User");
    std::string error;
    for (const auto& entry : Journal()) {
        if (entry.kind == "scenario-error")
            error = entry.Field(1);
    }
    EXPECT_EQ(error, "line 2: bad version 'three'");
}

TEST_F(BadInput, NullPointersAreRefused)
{
    auto engine = CreateEngine();
    auto dictation = CreateDictation();
    EXPECT_EQ(engine->get_Speaker(nullptr), E_POINTER);
    EXPECT_EQ(engine->GetParameter(7, nullptr), E_POINTER);
    EXPECT_EQ(engine->GetWaveFileSNR(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(dictation->get_LastResult(nullptr), E_POINTER);
    VARIANT flags;
    VariantInit(&flags);
    EXPECT_EQ(dictation->Register(nullptr, flags), E_INVALIDARG);
    EXPECT_EQ(dictation->TranscribeFile(nullptr), E_INVALIDARG);
}

TEST(WavReader, AcceptsExactlyPcmOfTheSupportedShapes)
{
    struct Case
    {
        unsigned rate, channels, bits;
        bool accepted;
    };
    const Case cases[] = {{8000, 1, 8, true},    {99000, 2, 16, true},  {7999, 1, 16, false},
                          {99001, 1, 16, false}, {16000, 3, 16, false}, {16000, 1, 24, false}};
    for (const Case& c : cases) {
        std::vector<float> samples(1000, 0.25f);
        std::string wav =
            c.bits == 24 ? std::string() : WavBytes(samples, c.rate, c.channels, c.bits);
        if (c.bits == 24) {
            wav = WavBytes(samples, c.rate, c.channels, 16);
            wav[34] = 24;
        }
        WavRead read = ParseWav(wav);
        EXPECT_EQ(read.audio.has_value(), c.accepted)
            << c.rate << "/" << c.channels << "/" << c.bits << ": " << read.problem;
        if (read.audio) {
            EXPECT_EQ(read.audio->samples.size(), 1000u);
            EXPECT_NEAR(read.audio->samples[0], 0.25, 0.01);
        }
    }
}
