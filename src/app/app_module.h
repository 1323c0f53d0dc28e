// The process-wide module object: knows the program's instance handle, is initialised
// before the dialog runs and terminated after it.
#pragma once

#include <windows.h>

class AppModule
{
public:
    AppModule() : instance_(GetModuleHandleW(nullptr)) {}

    // Registers the common-control classes that dialog 101 uses (the trackbar).
    bool Init();
    void Term();

    HINSTANCE Instance() const { return instance_; }

private:
    HINSTANCE instance_;
};

extern AppModule Module;
