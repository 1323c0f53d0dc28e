#include "log_figures.h"

#include <algorithm>

namespace {

// Over any run of segments without gathering them first: a log of many segments asks for each
// one's figures.
template <class Segments> LogFigures FiguresOver(const Segments& segments)
{
    LogFigures figures;
    std::vector<double> factors;
    double alternates = 0;
    bool first = true;
    for (const Segment* segment : segments) {
        figures.dropped += segment->dropped;
        figures.scores += segment->scores;
        for (const UtteranceFigures& utterance : segment->utterances) {
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
    std::vector<const Segment*> segments;
    for (const Segment& segment : content.segments)
        segments.push_back(&segment);
    return FiguresOver(segments);
}
