#include "engine/engine_objects.h"

HRESULT CreateEngineControl(Microsoft::WRL::ComPtr<IDgnEngineControl>& engine)
{
    return CoCreateInstance(CLSID_DgnEngineControl, nullptr, CLSCTX_ALL, IID_IDgnEngineControl,
                            reinterpret_cast<void**>(engine.ReleaseAndGetAddressOf()));
}

HRESULT CreateDictEdit(Microsoft::WRL::ComPtr<IDgnEditDictation>& dictation)
{
    return CoCreateInstance(CLSID_DgnDictEdit, nullptr, CLSCTX_ALL, IID_IDgnEditDictation,
                            reinterpret_cast<void**>(dictation.ReleaseAndGetAddressOf()));
}

namespace {

constexpr HRESULT FromRpcStatus(long status)
{
    return static_cast<HRESULT>((status & 0xFFFF) | (FACILITY_WIN32 << 16) | 0x80000000);
}

} // namespace

bool EngineProcessGone(HRESULT hr)
{
    switch (hr) {
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case CO_E_OBJNOTCONNECTED:
    case FromRpcStatus(RPC_S_SERVER_UNAVAILABLE):
    case FromRpcStatus(RPC_S_CALL_FAILED):
    case FromRpcStatus(RPC_S_CALL_FAILED_DNE): return true;
    default: return false;
    }
}
