#include "log_figures.h"

#include <algorithm>

namespace {

const Segment& Of(const Segment& segment)
{
    return segment;
}

const Segment& Of(const Segment* segment)
{
    return *segment;
}

// Over any run of segments, or pointers to them, without gathering them first: a log of many
// segments asks for each one's figures, and its whole would cost a list of them all.
template <class Segments> LogFigures FiguresOver(const Segments& segments)
{
    LogFigures figures;
    // Sized once: a list grown by doubling touches twice its memory.
    size_t count = 0;
    for (const auto& segment : segments)
        count += Of(segment).utterances.size();
    std::vector<double> factors;
    factors.reserve(count);
    double alternates = 0;
    bool first = true;
    for (const auto& item : segments) {
        const Segment& segment = Of(item);
        figures.dropped += segment.dropped;
        figures.scores += segment.scores;
        for (const UtteranceFigures& utterance : segment.utterances) {
            ++figures.utterances;
            figures.words += utterance.words;
            factors.push_back(utterance.realTimeFactor);
            alternates += utterance.alternates;
            figures.fewestWords =
                first ? utterance.words : std::min(figures.fewestWords, utterance.words);
            figures.mostWords =
                first ? utterance.words : std::max(figures.mostWords, utterance.words);
            first = false;
        }
    }
    figures.realTimeFactor = SpreadOf(std::move(factors));
    if (figures.utterances > 0) {
        figures.wordsPerUtterance =
            static_cast<double>(figures.words) / static_cast<double>(figures.utterances);
        figures.alternatesPerUtterance = alternates / static_cast<double>(figures.utterances);
    }
    if (figures.scores.Total() > 0)
        figures.shareUnder50 = static_cast<double>(figures.scores.under50) /
                               static_cast<double>(figures.scores.Total());
    return figures;
}

} // namespace

LogFigures FiguresOf(const std::vector<const Segment*>& segments)
{
    return FiguresOver(segments);
}

LogFigures FiguresOf(const Segment& segment)
{
    const Segment* one[] = {&segment};
    return FiguresOver(one);
}

LogFigures FiguresOf(const LogContent& content)
{
    return FiguresOver(content.segments);
}
