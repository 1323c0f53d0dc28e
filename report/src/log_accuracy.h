// A log's recognised words against the reference: word error rate, the aligned pairs, and
// each recognised word's outcome beside its confidence score.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "confidence_trust.h"
#include "log_content.h"
#include "reference_text.h"
#include "word_alignment.h"

struct AlignedPair
{
    EditKind kind = EditKind::Match;
    std::string reference;  // UTF-8; empty for an insertion
    std::string hypothesis; // UTF-8; empty for a deletion
    int32_t score = 0;      // the recognised word's score; 0 for a deletion
    uint32_t utterance = 0; // index among the log's complete utterances (a deletion: where it fell)
};

struct LogAccuracy
{
    // One reference line per complete utterance, aligned each with its own; otherwise the
    // whole reference against all the words of the log.
    bool perUtterance = false;
    EditCounts counts;
    int64_t recognisedWords = 0; // after normalising
    std::vector<ScoredOutcome> outcomes;
    ConfidenceTrust trust;
    std::vector<AlignedPair> pairs; // only when asked for
};

LogAccuracy MeasureAccuracy(const ReferenceText& reference, const LogContent& content,
                            size_t utteranceCount, bool keepPairs);
