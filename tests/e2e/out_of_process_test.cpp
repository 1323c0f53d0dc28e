// The program against the stand-in's local server: every engine call and event crosses
// processes through the type-library marshaler. The fixture registers the local server for
// these tests and the DLL again afterwards.
#include <gtest/gtest.h>

#include "engine/dgn_interfaces.h"
#include "engine_session.h"

#include <algorithm>

#include <oleauto.h>
#include <psapi.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "resources/resource.h"

using Microsoft::WRL::ComPtr;

namespace {

// The marshaler reaches the same methods as the program's declarations (index 6 + place).
struct Place
{
    const wchar_t* name;
    int place;
};

struct Described
{
    IID iid;
    int lastPlace;
    std::vector<Place> named;
};

// Where the type library puts a method, as a place; -1 when it has none of that name.
int PlaceOf(ITypeInfo* info, const TYPEATTR& attributes, const wchar_t* name)
{
    for (UINT i = 0; i < attributes.cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function)))
            continue;
        BSTR found = nullptr;
        UINT count = 0;
        info->GetNames(function->memid, &found, 1, &count);
        int place = static_cast<int>(function->oVft / sizeof(void*)) - 6;
        bool same = found && lstrcmpW(found, name) == 0;
        SysFreeString(found);
        info->ReleaseFuncDesc(function);
        if (same)
            return place;
    }
    return -1;
}

// Whether a process has a module of this file name loaded.
bool HasModule(DWORD processId, const wchar_t* fileName)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr)
        return false;
    std::vector<HMODULE> modules(1024);
    DWORD needed = 0;
    bool found = false;
    if (EnumProcessModules(process, modules.data(),
                           static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed)) {
        modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
        for (HMODULE module : modules) {
            wchar_t name[MAX_PATH] = {};
            if (GetModuleBaseNameW(process, module, name, MAX_PATH) &&
                lstrcmpiW(name, fileName) == 0)
                found = true;
        }
    }
    CloseHandle(process);
    return found;
}

} // namespace

TEST(OutOfProcess, TheProgramMeasuresAnEngineInAProcessOfItsOwn)
{
    e2e::Session session;
    ASSERT_TRUE(session.Start());
    HWND requests = session.Requests();
    ASSERT_NE(requests, nullptr);
    DWORD server = 0;
    GetWindowThreadProcessId(requests, &server);
    EXPECT_NE(server, session->ProcessId());
    EXPECT_FALSE(HasModule(session->ProcessId(), L"tarvell_standin.dll"));

    e2e::Utterance spoken;
    spoken.words = {{7, L"alpha"}, {4, L"bravo"}};
    spoken.start = std::make_pair(0L, 1000L);
    spoken.end = std::make_pair(0L, 2500L);
    spoken.phraseCount = 2;
    ASSERT_TRUE(session.Dictate(spoken));
    size_t lines = 0;
    ASSERT_TRUE(driver::WaitWhileProgressing(
        [&] { return (lines = session->ListLines(IDC_RESULTS).size()) >= 11; },
        [&] { return lines; }));
    std::vector<std::wstring> shown = session->ListLines(IDC_RESULTS);
    ASSERT_GE(shown.size(), 11u);
    EXPECT_EQ(shown[3], L"7 : alpha");
    EXPECT_EQ(shown[4], L"4 : bravo");
    EXPECT_EQ(shown[6], L"7 : alpha <---> Maximum Score");
    EXPECT_EQ(session->Exit(), 0u);
}

TEST(OutOfProcess, TheTypeLibraryDescribesEveryInterfacePlaceForPlace)
{
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(LIBID_DNSTools, kDnsToolsMajor, kDnsToolsMinor, 0, &library), S_OK);
    const std::vector<Described> interfaces = {
        {__uuidof(ResultTime), 2, {{L"GetHighPart", 1}, {L"GetLowPart", 2}}},
        {__uuidof(IDgnResWord), 4, {{L"get_Text", 1}, {L"get_ConfidenceScore", 4}}},
        {__uuidof(IDgnResWords), 2, {{L"get_Item", 1}, {L"GetCount", 2}}},
        {__uuidof(IDgnResPhrase), 2, {{L"get_Words", 2}}},
        {__uuidof(ResultPhraseList), 2, {{L"get_Item", 1}, {L"GetCount", 2}}},
        {__uuidof(IDgnResult), 3, {{L"GetStartTime", 1}, {L"GetEndTime", 2}, {L"GetPhrases", 3}}},
        {IID_IDgnEngineControl,
         113,
         {{L"get_Speaker", 4},
          {L"GetVocabularyName", 10},
          {L"GetEngineVersion", 24},
          {L"GetState", 52},
          {L"SetFeature", 56},
          {L"GetParameter", 57},
          {L"SetParameter", 58},
          {L"GetSourceName", 68},
          {L"GetCurrentSource", 74},
          {L"GetModelName", 81},
          {L"GetWaveFileSNR", 113}}},
        {IID_IDgnEditDictation,
         39,
         {{L"Register", 1},
          {L"TranscribeFile", 19},
          {L"TranscribeStop", 20},
          {L"get_LastResult", 37},
          {L"SetOption", 39}}},
    };
    for (const Described& described : interfaces) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfoOfGuid(described.iid, &info), S_OK);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
        EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
        EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
        // The vtable ends with the last place the program calls.
        EXPECT_EQ(attributes->cbSizeVft, (7 + described.lastPlace) * sizeof(void*));
        for (const Place& place : described.named)
            EXPECT_EQ(PlaceOf(info.Get(), *attributes, place.name), place.place) << place.name;
        info->ReleaseTypeAttr(attributes);
    }
}
