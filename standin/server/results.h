// The result objects of one recognition, read by the program after event 1.
#pragma once

#include "core/script.h"

#include "engine/dgn_interfaces.h"

#include <memory>
#include <vector>

namespace standin {

struct RecognitionResult
{
    std::vector<Word> words;
    LONG startHigh = 0, startLow = 0, endHigh = 0, endLow = 0;
    LONG phraseCount = 1; // as reported; phrase 0 exists whatever this says
    LONG wordCount = 0;   // as reported; only the words held can be fetched
};

// Stamps and counts filled in from the clock and the words where the utterance leaves them open.
RecognitionResult ResolveUtterance(const Utterance& utterance, long long nowMs);

// A new IDgnResult over the result (one reference, the caller's).
IDgnResult* NewResultObject(std::shared_ptr<const RecognitionResult> result);

} // namespace standin
