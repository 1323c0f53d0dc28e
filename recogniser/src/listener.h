// Live decoding: audio from a source, through the recogniser's own speech detector, told to
// the client as it happens (SPEECH as an utterance begins, UTT once it is decoded).
#pragma once

#include "audio_source.h"
#include "decoder.h"

#include <atomic>
#include <functional>
#include <string>

namespace recogniser {

struct ListenEnd
{
    enum Why
    {
        Eof,
        Device,
        Stopped,
        Gone
    } why;
    std::string problem; // what the device did
};

// say: one send of one or more lines; false, the client is gone. The source is started.
ListenEnd ListenTo(AudioSource& source, Decoder& decoder, const std::atomic<bool>& stop,
                   const std::function<bool(const std::string&)>& say);

// The END line for how listening ended (none for a client that is gone).
std::string EndLine(const ListenEnd& end);

} // namespace recogniser
