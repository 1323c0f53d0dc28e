// Registration: only inside Wine, and the type library can be taken away and given back alone.
#include "standin_test_support.h"

#include "wine_check.h"

#include <oleauto.h>

using namespace standin;

TEST(Registration, WineIsRecognisedByItsNtdllExportOnly)
{
    struct Case
    {
        const char* what;
        HMODULE module;
        bool wine;
    };
    const Case cases[] = {
        {"Wine's ntdll", GetModuleHandleW(L"ntdll.dll"), true},
        {"a module without the export", GetModuleHandleW(L"kernel32.dll"), false},
        {"this program", GetModuleHandleW(nullptr), false},
        {"no module", nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsWineNtdll(c.module), c.wine) << c.what;
}

TEST(Registration, TypeLibraryDescribesTheEventsAndCanBeRemovedAlone)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    auto load = [] {
        ComPtr<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(LIBID_DNSTools, kDnsToolsMajor, kDnsToolsMinor, 0, &library);
        return std::make_pair(hr, library);
    };

    auto [hr, library] = load();
    ASSERT_EQ(hr, S_OK);
    ComPtr<ITypeInfo> events;
    ASSERT_EQ(library->GetTypeInfoOfGuid(DIID__DDgnDictEditEvents, &events), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(events->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    std::vector<MEMBERID> ids;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(events->GetFuncDesc(i, &function), S_OK);
        ids.push_back(function->memid);
        EXPECT_EQ(function->cParams, 0);
        events->ReleaseFuncDesc(function);
    }
    events->ReleaseTypeAttr(attributes);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<MEMBERID>{1, 7, 8}));
    events.Reset();
    library.Reset();

    ASSERT_EQ(control::SetTypeLibraryRegistered(STANDIN_DLL_PATH, false), S_OK);
    EXPECT_TRUE(FAILED(load().first)) << "the type library is still registered";
    ComPtr<IDgnEngineControl> engine;
    EXPECT_EQ(CoCreateInstance(CLSID_DgnEngineControl, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&engine)),
              S_OK)
        << "the classes stay registered";
    engine.Reset();
    ASSERT_EQ(control::SetTypeLibraryRegistered(STANDIN_DLL_PATH, true), S_OK);
    EXPECT_EQ(load().first, S_OK);
    CoUninitialize();
}
