// Creating the engine's two objects. Engine-control objects are made per operation and
// released at its end; the dictation object lives as long as the dialog.
#pragma once

#include <wrl/client.h>

#include "engine/dgn_interfaces.h"

HRESULT CreateEngineControl(Microsoft::WRL::ComPtr<IDgnEngineControl>& engine);
HRESULT CreateDictEdit(Microsoft::WRL::ComPtr<IDgnEditDictation>& dictation);

// Whether a call failed because the engine's process has gone (an engine that is an application
// of its own, crashed or ended): nothing more will come from the objects it served.
bool EngineProcessGone(HRESULT hr);
