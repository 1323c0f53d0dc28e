// What the engine is, for the whole process: the profile, its settings and the armed failures.
// A scenario file sets it up; requests change it while the process runs.
#pragma once

#include "core/script.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace standin {

struct Profile
{
    std::wstring speaker = L"Demo User";
    short version[3] = {15, 61, 200};
    LONG sourceId = 1;
    std::wstring sourceName = L"USB Headset Microphone";
    std::wstring model = L"BestMatch V";
    std::wstring vocabulary = L"General - Large";
    LONG state = 0;
    std::map<LONG, ParameterValue> parameters;
    std::map<LONG, LONG> features;
    double processingMs = 5;
    double fileRtf = 0.1;
    bool fileInline = false;
    std::wstring fileWords;
    std::vector<cmd::TranscribeFails> transcribeFails;
    // The recogniser service's loopback port; none: TARVELL_STANDIN_RECOGNISER decides.
    std::optional<LONG> recogniserPort;
    double recogniserTimeoutMs = 30000;
    // What the dictation object hears once the program registers its window; none:
    // TARVELL_STANDIN_LISTEN decides.
    std::optional<cmd::Listen> listen;
};

struct ArmedFailure
{
    FailureRule rule;
    long calls = 0; // calls of the operation since the rule was armed
};

// Reloads the scenario named by TARVELL_STANDIN_SCENARIO when its name or content changed.
void RefreshScenario();
Profile& CurrentProfile();

// Applies the settings and failures of a script; the rest is for the caller.
void ApplySettings(const Command& command);

// The failure that this call of the operation is armed with, if any.
std::optional<FailureRule> TakeFailure(const char* operation);

} // namespace standin
