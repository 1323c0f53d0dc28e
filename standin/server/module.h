// The server's own bookkeeping, in either form: its instance handle and the engine objects
// alive, by kind.
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

enum class ServerForm
{
    InProcess, // the DLL, loaded by the program
    Local,     // the executable, started by COM
};

// onIdle runs when the last object and the last lock are gone; takeBack takes the class
// objects back from COM at once. The DLL has neither.
void SetModule(HINSTANCE instance, ServerForm form, void (*onIdle)() = nullptr,
               void (*takeBack)() = nullptr);
ServerForm Form();
bool CanUnload();

HINSTANCE ModuleInstance();
std::wstring ModulePath();

void ObjectCreated(ObjectKind kind);
// Writes the summary line when the last object goes.
void ObjectDestroyed(ObjectKind kind);
void LockModule(bool lock);
// Ends the process at once, with its objects alive, as a crash would. COM on Windows forgets
// the class objects of a server that has gone; Wine's keeps handing them out, so they are
// taken back first.
[[noreturn]] void Crash();
// Journal line with the objects still alive and the strings never freed.
void WriteSummary(const char* reason);

} // namespace standin
