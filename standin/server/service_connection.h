// A connection to the recogniser service on 127.0.0.1, spoken to in lines: what file
// transcription and live dictation share.
#pragma once

#include "results.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace standin {

using ServiceClock = std::chrono::steady_clock;

ServiceClock::time_point After(double ms);

// A SOCKET (winsock2.h must come before windows.h, so not named here); kNoConnection and the
// reason when the service cannot be reached.
using ServiceSocket = UINT_PTR;
constexpr ServiceSocket kNoConnection = ~ServiceSocket(0);
ServiceSocket ConnectToService(LONG port, std::string& problem);
void CloseService(ServiceSocket s);
// Wakes a reader that waits on the socket, and tells the service to stop.
void ShutDownService(ServiceSocket s);

bool SendLine(ServiceSocket s, const std::string& line);
// One line, waiting until the deadline; none when the time is up or the connection closed
// (the reason is set). buffer keeps what was received and not yet taken.
std::optional<std::string> ReadLine(ServiceSocket s, std::string& buffer,
                                    ServiceClock::time_point deadline, std::string& problem);

// An utterance: its UTT line (given) and the WORD lines that follow it. Null, with the
// reason, when the lines are not what the service sends.
std::shared_ptr<RecognitionResult> ReadUtterance(ServiceSocket s, std::string& buffer,
                                                 const std::string& header,
                                                 ServiceClock::time_point deadline,
                                                 std::string& problem);

} // namespace standin
