// The class factories of DgnEngineControl and DgnDictEdit.
#pragma once

#include <windows.h>

namespace standin {

HRESULT GetClassFactory(REFCLSID clsid, REFIID iid, void** out);

} // namespace standin
