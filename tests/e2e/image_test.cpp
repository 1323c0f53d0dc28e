// The built program's image, read back from the executable: the dialog template as the
// system will load it, the icon, the version record, the manifest and the subsystem.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tarvell_driver.h"

namespace {

struct ControlTemplate
{
    DWORD id;
    std::wstring className;
    std::wstring text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

struct DialogTemplate
{
    DWORD style = 0, exStyle = 0;
    short cx = 0, cy = 0;
    std::wstring caption, font;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::vector<ControlTemplate> controls;
};

// Reads a DLGTEMPLATEEX: fixed header, then items aligned on 32-bit boundaries.
class TemplateReader
{
public:
    explicit TemplateReader(const BYTE* data) : base_(data), at_(data) {}

    template <class T> T Take()
    {
        T value;
        memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    // A string or an ordinal, as dialog templates store names.
    std::wstring TakeName()
    {
        WORD first = Take<WORD>();
        if (first == 0)
            return L"";
        if (first == 0xFFFF)
            return ClassName(Take<WORD>());
        std::wstring text(1, static_cast<wchar_t>(first));
        for (WORD c; (c = Take<WORD>()) != 0;)
            text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignTo4()
    {
        while ((at_ - base_) % 4)
            ++at_;
    }
    void Skip(size_t bytes) { at_ += bytes; }

private:
    static std::wstring ClassName(WORD ordinal)
    {
        switch (ordinal) {
        case 0x80: return L"Button";
        case 0x81: return L"Edit";
        case 0x82: return L"Static";
        case 0x83: return L"ListBox";
        }
        return L"#" + std::to_wstring(ordinal);
    }
    const BYTE* base_;
    const BYTE* at_;
};

HMODULE LoadProgramImage()
{
    return LoadLibraryExW(driver::Tarvell::ProgramPath().c_str(), nullptr,
                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

const BYTE* Resource(HMODULE image, LPCWSTR type, LPCWSTR name, DWORD* size = nullptr)
{
    HRSRC found = FindResourceW(image, name, type);
    if (found == nullptr)
        return nullptr;
    if (size)
        *size = SizeofResource(image, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(image, found)));
}

DialogTemplate ReadDialog(const BYTE* data)
{
    DialogTemplate dialog;
    TemplateReader in(data);
    EXPECT_EQ(in.Take<WORD>(), 1);      // version
    EXPECT_EQ(in.Take<WORD>(), 0xFFFF); // extended template
    in.Take<DWORD>();                   // help id
    dialog.exStyle = in.Take<DWORD>();
    dialog.style = in.Take<DWORD>();
    WORD count = in.Take<WORD>();
    in.Take<short>();
    in.Take<short>();
    dialog.cx = in.Take<short>();
    dialog.cy = in.Take<short>();
    EXPECT_EQ(in.TakeName(), L""); // menu
    EXPECT_EQ(in.TakeName(), L""); // class
    dialog.caption = in.TakeName();
    dialog.pointSize = in.Take<WORD>();
    dialog.weight = in.Take<WORD>();
    dialog.italic = in.Take<BYTE>();
    dialog.charset = in.Take<BYTE>();
    dialog.font = in.TakeName();
    for (WORD i = 0; i < count; ++i) {
        in.AlignTo4();
        ControlTemplate c;
        in.Take<DWORD>(); // help id
        c.exStyle = in.Take<DWORD>();
        c.style = in.Take<DWORD>();
        c.x = in.Take<short>();
        c.y = in.Take<short>();
        c.cx = in.Take<short>();
        c.cy = in.Take<short>();
        c.id = in.Take<DWORD>();
        c.className = in.TakeName();
        c.text = in.TakeName();
        in.Skip(in.Take<WORD>());
        dialog.controls.push_back(c);
    }
    return dialog;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kDisplay = kChild | WS_BORDER | ES_CENTER | ES_AUTOHSCROLL | ES_READONLY;
constexpr DWORD kDisplayTab = kDisplay | WS_TABSTOP;
constexpr DWORD kNoId = 0xFFFFFFFF;

// Every control of dialog 101 in template order, which is also the tab order.
const ControlTemplate kExpected[] = {
    {kNoId, L"Button", L"&Audio File Transcription", 7, 127, 275, 54, kGroupBox, 0},
    {IDC_TRANSCRIPTION, L"Edit", L"", 13, 32, 264, 82,
     kChild | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | ES_AUTOVSCROLL | WS_BORDER | WS_TABSTOP,
     0},
    {IDC_PATH, L"Edit", L"", 36, 142, 240, 12, kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0},
    {IDC_BROWSE, L"Button", L"&Browse", 12, 161, 30, 14, kButton, 0},
    {kNoId, L"Button", L"Transcription B&ox", 7, 21, 275, 99, kGroupBox, 0},
    {IDC_TRANSCRIBE, L"Button", L"&Transcribe", 66, 161, 38, 14, kButton, 0},
    {IDC_STOP, L"Button", L"&Stop", 121, 161, 38, 14, kButton | WS_DISABLED, 0},
    {IDOK, L"Button", L"&Exit", 570, 7, 36, 14, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {IDC_CHECK_SNR, L"Button", L"Check &SNR", 175, 161, 45, 14, kButton, 0},
    {IDC_SNR, L"Edit", L"", 232, 162, 42, 12, kDisplay, 0},
    {IDC_SPEED_ACCURACY, L"msctls_trackbar32", L"", 52, 205, 87, 17,
     kChild | TBS_HORZ | TBS_AUTOTICKS | TBS_TOP | WS_TABSTOP, 0},
    {kNoId, L"Static", L"Path:", 15, 144, 21, 8, kLabel, 0},
    {kNoId, L"Button", L"Speed vs. Accuracy:", 8, 186, 204, 41, kGroupBox, 0},
    {kNoId, L"Static", L"Fastest Response", 11, 200, 33, 18, kLabel, WS_EX_RIGHT},
    {kNoId, L"Static", L"Most accurate", 146, 200, 29, 18, kLabel, 0},
    {IDC_RESET_ALL, L"Button", L"Reset All", 228, 211, 50, 14, kButton, 0},
    {kNoId, L"Static", L"Profile -- Source:", 300, 34, 53, 8, kLabel, 0},
    {IDC_PROFILE_SOURCE, L"Edit", L"", 369, 33, 233, 14, kDisplay, 0},
    {kNoId, L"Button", L"Session Statistics", 8, 234, 272, 36, kGroupBox, 0},
    {IDC_UTTERANCES, L"Edit", L"", 15, 249, 21, 12, kDisplay, 0},
    {IDC_WORDS, L"Edit", L"", 76, 249, 25, 12, kDisplay, 0},
    {IDC_AVERAGE_RTF, L"Edit", L"", 12, 325, 33, 12, kDisplay, 0},
    {IDC_TOTAL_AVERAGE_SCORE, L"Edit", L"", 166, 289, 25, 12, kDisplay, 0},
    {IDC_TOTAL_MAXIMUM_SCORE, L"Edit", L"", 166, 306, 25, 12, kDisplay, 0},
    {IDC_TOTAL_MINIMUM_SCORE, L"Edit", L"", 166, 324, 25, 12, kDisplay, 0},
    {kNoId, L"Static", L"Utts", 41, 250, 22, 8, kLabel, 0},
    {kNoId, L"Static", L"Words", 106, 250, 27, 8, kLabel, 0},
    {kNoId, L"Static", L"Average Real-Time Factor", 53, 326, 86, 8, kLabel, 0},
    {kNoId, L"Static", L"Total Average Score", 200, 291, 66, 8, kLabel, 0},
    {kNoId, L"Static", L"Total Maximum Score", 200, 309, 72, 8, kLabel, 0},
    {kNoId, L"Static", L"Total Minimum Score", 200, 326, 72, 8, kLabel, 0},
    {kNoId, L"Static", L"0", 58, 196, 8, 8, kLabel, 0},
    {kNoId, L"Static", L"100", 123, 196, 14, 8, kChild | WS_GROUP | SS_RIGHT, 0},
    {kNoId, L"Static", L"50", 89, 196, 14, 8, kChild | WS_GROUP | SS_CENTER, 0},
    {kNoId, L"Static", L"Current:", 179, 195, 26, 8, kLabel, 0},
    {IDC_CURRENT_SPEED, L"Edit", L"", 179, 206, 22, 14, kDisplay, 0},
    {kNoId, L"Button", L"Fully Detailed Results", 297, 187, 313, 161, kGroupBox, 0},
    {IDC_RESULTS, L"ListBox", L"", 305, 218, 295, 124,
     kChild | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0},
    {IDC_BOTTOM, L"Button", L"Bottom", 346, 200, 36, 14, kButton | BS_CENTER, 0},
    {IDC_TOP, L"Button", L"Top", 306, 200, 36, 14, kButton | BS_CENTER, 0},
    {IDC_SAVE_LOG, L"Button", L"Save Session Log", 537, 199, 60, 14, kButton, 0},
    {kNoId, L"Static",
     L"Start by dictating into the Transcription Box, or better yet, load audio files to "
     L"transcribe",
     7, 6, 275, 11, kChild | WS_GROUP | SS_CENTER, 0},
    {IDC_EXPORT_TEXT, L"Button", L"Export Text", 228, 191, 50, 14, kButton, 0},
    {IDC_CPU_MODEL, L"Edit", L"", 335, 88, 267, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Model:", 303, 89, 23, 8, kLabel, 0},
    {IDC_TOTAL_DICTATION, L"Edit", L"", 12, 289, 33, 12, kDisplay, 0},
    {kNoId, L"Static", L"Total Dictation Time (sec)", 52, 290, 90, 8, kLabel, 0},
    {IDC_TOTAL_PROCESSING, L"Edit", L"", 12, 307, 33, 12, kDisplay, 0},
    {kNoId, L"Static", L"Total Processing Time (sec)", 52, 308, 88, 8, kLabel, 0},
    {kNoId, L"Button", L"Performance Overview", 6, 275, 141, 74, kGroupBox, 0},
    {kNoId, L"Button", L"Accuracy Overview", 156, 275, 124, 73, kGroupBox, 0},
    {IDC_WPM, L"Edit", L"", 225, 249, 24, 12, kDisplay, 0},
    {kNoId, L"Static", L"WPM", 255, 251, 18, 8, kLabel, 0},
    {IDC_ENGINE_VERSION, L"Edit", L"", 420, 7, 38, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"DNS Version:", 371, 8, 43, 8, kLabel, 0},
    {IDC_MODEL_VOCABULARY, L"Edit", L"", 369, 52, 233, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Model -- Vocabulary:", 300, 53, 65, 8, kLabel, 0},
    {IDC_TOTAL_PHYSICAL, L"Edit", L"", 393, 125, 27, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Total Physical Memory (MB):", 300, 127, 90, 8, kLabel, 0},
    {kNoId, L"Static", L"Available (MB):", 429, 127, 48, 8, kLabel, 0},
    {IDC_AVAILABLE_PHYSICAL, L"Edit", L"", 481, 125, 27, 14, kDisplayTab, 0},
    {kNoId, L"Button", L"User Info", 295, 21, 315, 49, kGroupBox, 0},
    {kNoId, L"Button", L"Memory Info", 296, 114, 314, 67, kGroupBox, 0},
    {IDC_MEMORY_LOAD, L"Edit", L"", 577, 125, 27, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Used, approx. (%):", 516, 127, 59, 8, kLabel, 0},
    {IDC_TOTAL_PAGE_FILE, L"Edit", L"", 393, 162, 26, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Total Page File Size (MB):", 308, 164, 82, 8, kLabel, 0},
    {IDC_AVAILABLE_PAGE_FILE, L"Edit", L"", 481, 162, 26, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Available (MB):", 429, 164, 48, 8, kLabel, 0},
    {IDC_TOTAL_VIRTUAL, L"Edit", L"", 393, 144, 27, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Total Virtual Memory (MB):", 306, 146, 84, 8, kLabel, 0},
    {kNoId, L"Static", L"Available (MB):", 429, 146, 48, 8, kLabel, 0},
    {IDC_AVAILABLE_VIRTUAL, L"Edit", L"", 481, 144, 27, 14, kDisplayTab, 0},
    {IDC_REC_START, L"Edit", L"", 426, 200, 36, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Rec Start:", 392, 201, 31, 8, kLabel, 0},
    {kNoId, L"Button", L"CPU Info", 296, 77, 314, 30, kGroupBox, 0},
    {IDC_STOP_TIME, L"Edit", L"", 492, 200, 36, 14, kDisplayTab, 0},
    {kNoId, L"Static", L"Stop:", 474, 201, 17, 8, kLabel, 0},
    {IDC_WPU, L"Edit", L"", 153, 249, 24, 12, kDisplay, 0},
    {kNoId, L"Static", L"WPU", 184, 251, 17, 8, kLabel, 0},
};

class ProgramImage : public testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(image_, nullptr) << "cannot load tarvell.exe"; }
    void TearDown() override
    {
        if (image_)
            FreeLibrary(image_);
    }
    HMODULE image_ = LoadProgramImage();
};

} // namespace

TEST_F(ProgramImage, DialogWindowFontAndCaption)
{
    const BYTE* data = Resource(image_, RT_DIALOG, MAKEINTRESOURCEW(IDD_MAIN));
    ASSERT_NE(data, nullptr);
    DialogTemplate dialog = ReadDialog(data);
    EXPECT_EQ(dialog.style, 0x90C800C4u);
    EXPECT_EQ(dialog.exStyle, 0x00040000u);
    EXPECT_EQ(dialog.cx, 618);
    EXPECT_EQ(dialog.cy, 355);
    EXPECT_EQ(dialog.caption, std::wstring(L"Tarvell - Testing Performance and Accuracy") +
                                  std::wstring(15, L' ') + L"Version 2.0.3");
    EXPECT_EQ(dialog.font, L"Microsoft Sans Serif");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 0);
}

TEST_F(ProgramImage, DialogHasEveryControlInTemplateOrder)
{
    const BYTE* data = Resource(image_, RT_DIALOG, MAKEINTRESOURCEW(IDD_MAIN));
    ASSERT_NE(data, nullptr);
    DialogTemplate dialog = ReadDialog(data);
    ASSERT_EQ(dialog.controls.size(), std::size(kExpected));
    for (size_t i = 0; i < std::size(kExpected); ++i) {
        const ControlTemplate& want = kExpected[i];
        const ControlTemplate& got = dialog.controls[i];
        SCOPED_TRACE(testing::Message() << "control #" << i + 1 << " id " << int(want.id));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(_wcsicmp(got.className.c_str(), want.className.c_str()), 0)
            << testing::PrintToString(got.className);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style << " != " << want.style;
        EXPECT_EQ(got.exStyle, want.exStyle);
    }
}

TEST_F(ProgramImage, IconIsOne64By64ImageOf32Bits)
{
#pragma pack(push, 2)
    struct GroupEntry
    {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    DWORD size = 0;
    const BYTE* group = Resource(image_, RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_TARVELL), &size);
    ASSERT_NE(group, nullptr);
    WORD count;
    memcpy(&count, group + 4, sizeof count);
    ASSERT_EQ(count, 1);
    ASSERT_GE(size, 6 + sizeof(GroupEntry));
    GroupEntry entry;
    memcpy(&entry, group + 6, sizeof entry);
    EXPECT_EQ(entry.width, 64);
    EXPECT_EQ(entry.height, 64);
    EXPECT_EQ(entry.bitCount, 32);
    const BYTE* image = Resource(image_, RT_ICON, MAKEINTRESOURCEW(entry.id));
    ASSERT_NE(image, nullptr);
    BITMAPINFOHEADER header;
    memcpy(&header, image, sizeof header);
    EXPECT_EQ(header.biWidth, 64);
    EXPECT_EQ(header.biHeight, 128); // image and mask
    EXPECT_EQ(header.biBitCount, 32);
}

TEST_F(ProgramImage, VersionRecord)
{
    std::wstring path = driver::Tarvell::ProgramPath();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00030001u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04b0);

    wchar_t* comments = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\Comments",
                               reinterpret_cast<void**>(&comments), &length));
    EXPECT_STREQ(comments, L"Get the real-time factors and confidence scores programmatically");
}

TEST_F(ProgramImage, ManifestAsksToRunAsInvokerAndTheSubsystemIsGui)
{
    DWORD size = 0;
    const BYTE* manifest = Resource(image_, RT_MANIFEST, MAKEINTRESOURCEW(1), &size);
    ASSERT_NE(manifest, nullptr);
    std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos) << text;
    EXPECT_NE(text.find("uiAccess=\"false\""), std::string::npos) << text;

    HANDLE file = CreateFileW(driver::Tarvell::ProgramPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<BYTE> head(4096);
    DWORD got = 0;
    ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr);
    CloseHandle(file);
    LONG peOffset;
    memcpy(&peOffset, head.data() + 0x3C, sizeof peOffset);
    IMAGE_NT_HEADERS headers;
    memcpy(&headers, head.data() + peOffset, sizeof headers);
    EXPECT_EQ(headers.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}
