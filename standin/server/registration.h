// Registration of the two classes and the type library, for either form of the server. Both
// refuse outside Wine (see wine_check.h).
#pragma once

#include "module.h"

namespace standin {

// Registers the classes for this form and removes the other form's server key.
HRESULT RegisterServer(ServerForm form);
HRESULT UnregisterServer();
bool RegisterTypeLibrary();
void UnregisterTypeLibrary();

} // namespace standin
