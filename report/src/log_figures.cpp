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

// The figures of a run of utterances, with the dropped blocks and scores of the segments that
// hold them.
template <class Segments>
LogFigures FiguresOver(UtteranceRun utterances, const Segments& segments,
                       const ScoreHistogram& scores, std::vector<double>& factors)
{
    LogFigures figures;
    for (const auto& item : segments)
        figures.dropped += Of(item).dropped;
    figures.scores = scores;
    factors.clear();
    factors.reserve(utterances.size());
    double alternates = 0;
    bool first = true;
    for (const UtteranceFigures& utterance : utterances) {
        figures.words += utterance.words;
        factors.push_back(utterance.realTimeFactor);
        alternates += utterance.alternates;
        figures.fewestWords =
            first ? utterance.words : std::min(figures.fewestWords, utterance.words);
        figures.mostWords = first ? utterance.words : std::max(figures.mostWords, utterance.words);
        first = false;
    }
    figures.utterances = utterances.size();
    figures.realTimeFactor = SpreadOfReordering(factors);
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

LogFigures FiguresOf(const LogContent& content, const Segment& segment,
                     std::vector<double>& scratch)
{
    const Segment* one[] = {&segment};
    ScoreHistogram scores;
    scores += segment.scores;
    return FiguresOver(content.UtterancesOf(segment), one, scores, scratch);
}

LogFigures FiguresOf(const LogContent& content)
{
    std::vector<double> factors;
    return FiguresOver(UtteranceRun(content.utterances.begin(), content.utterances.size()),
                       content.segments, content.scores, factors);
}
