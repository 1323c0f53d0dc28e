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
