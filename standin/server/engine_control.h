// DgnEngineControl: the profile, the engine settings and the wave-file signal-to-noise query.
#pragma once

#include "engine/dgn_interfaces.h"

namespace standin {

// A new object with one reference, the caller's.
IDgnEngineControl* NewEngineControl();

// Builds the VARIANT of a scenario's parameter value.
void ToVariant(const struct ParameterValue& value, VARIANT* out);

} // namespace standin
