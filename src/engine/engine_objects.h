// Creating the engine's two objects. Engine-control objects are made per operation and
// released at its end; the dictation object lives as long as the dialog.
#pragma once

#include <wrl/client.h>

#include "engine/dgn_interfaces.h"

HRESULT CreateEngineControl(Microsoft::WRL::ComPtr<IDgnEngineControl>& engine);
HRESULT CreateDictEdit(Microsoft::WRL::ComPtr<IDgnEditDictation>& dictation);
