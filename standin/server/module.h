// The DLL's own bookkeeping: its instance handle and the engine objects alive, by kind.
#pragma once

#include <windows.h>

#include <string>

namespace standin {

enum class ObjectKind
{
    EngineControl,
    DictEdit,
    Result,
    ResultTime,
    PhraseList,
    Phrase,
    Words,
    Word,
    Count,
};

HINSTANCE ModuleInstance();
std::wstring ModulePath();

void ObjectCreated(ObjectKind kind);
// Writes the summary line when the last object goes.
void ObjectDestroyed(ObjectKind kind);
void LockModule(bool lock);
// Journal line with the objects still alive and the strings never freed.
void WriteSummary(const char* reason);

} // namespace standin
