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

struct StretchAccuracy
{
    EditCounts counts;
    int64_t recognisedWords = 0; // after normalising
};

struct LogAccuracy
{
    // One reference line per complete utterance, aligned each with its own; with eachSegment
    // the whole reference against the words of each segment; otherwise the whole reference
    // against all the words of the log.
    bool perUtterance = false;
    bool eachSegment = false;
    size_t referenceLines = 0;
    size_t utterances = 0; // complete ones
    EditCounts counts;
    int64_t recognisedWords = 0; // after normalising
    // Per segment, in file order, when the alignment tells segments apart (not as one text).
    std::vector<StretchAccuracy> segments;
    std::vector<ScoredOutcome> outcomes;
    ConfidenceTrust trust;
    std::vector<AlignedPair> pairs; // only when asked for
};

LogAccuracy MeasureAccuracy(const ReferenceText& reference, const LogContent& content,
                            size_t utteranceCount, bool eachSegment, bool keepPairs);

// Why the whole text was aligned when the reference has lines of its own that do not number
// the utterances; empty when there is nothing to say.
std::string AlignmentWarning(const LogAccuracy& accuracy);
