// The texts of the profile display, built from the engine's answers.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <string>

// "major.minor.build", each number as a signed decimal.
std::wstring EngineVersionText(short major, short minor, short build);

// The speed-versus-accuracy parameter as the slider takes it: the low 16 bits of the
// value, signed, whatever type the engine gave it.
short LowSigned16(const VARIANT& value);
