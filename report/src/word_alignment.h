// Minimal edit alignment of a recognised word sequence against its reference, in memory
// linear in the words (Hirschberg's divide and conquer over the edit distance).
#pragma once

#include <cstdint>
#include <vector>

enum class EditKind
{
    Match,
    Substitution,
    Deletion,  // a reference word the recogniser missed
    Insertion, // a recognised word the reference does not have
};

struct EditStep
{
    EditKind kind;
    int64_t reference;  // index into the reference, -1 for an insertion
    int64_t hypothesis; // index into the hypothesis, -1 for a deletion
};

struct EditCounts
{
    int64_t matches = 0;
    int64_t substitutions = 0;
    int64_t deletions = 0;
    int64_t insertions = 0;

    int64_t ReferenceWords() const { return matches + substitutions + deletions; }
    int64_t Errors() const { return substitutions + deletions + insertions; }
    // Errors over reference words; not a number when the reference is empty.
    double WordErrorRate() const;
    EditCounts& operator+=(const EditCounts& other);
};

// Words are compared as numbers (the caller maps equal words to equal numbers). The steps run
// in order through both sequences; of several minimal alignments, matches and substitutions
// are preferred to a deletion and an insertion, so the pairs read naturally.
std::vector<EditStep> AlignWords(const std::vector<uint32_t>& reference,
                                 const std::vector<uint32_t>& hypothesis);

EditCounts CountEdits(const std::vector<EditStep>& steps);
