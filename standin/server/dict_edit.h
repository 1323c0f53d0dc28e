// DgnDictEdit: the dictation target, live dictation on request, file transcription and events.
#pragma once

#include "engine/dgn_interfaces.h"

namespace standin {

// A new object with one reference, the caller's; its request window lives on this thread.
IDgnEditDictation* NewDictEdit();

} // namespace standin
