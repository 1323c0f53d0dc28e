#include "log_figures.h"

#include <algorithm>

namespace {

// The figures of a run of utterances, with the dropped blocks and scores of the stretch that
// holds them.
LogFigures FiguresOver(UtteranceRun utterances, size_t dropped, const ScoreHistogram& scores,
                       std::vector<double>& factors)
{
    LogFigures figures;
    figures.dropped = dropped;
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
    ScoreHistogram scores;
    scores += segment.scores;
    return FiguresOver(content.UtterancesOf(segment), segment.dropped, scores, scratch);
}

LogFigures FiguresOf(const LogContent& content)
{
    size_t dropped = 0;
    for (const Segment& segment : content.segments)
        dropped += segment.dropped;
    std::vector<double> factors;
    return FiguresOver(UtteranceRun(content.utterances.begin(), content.utterances.size()), dropped,
                       content.scores, factors);
}
