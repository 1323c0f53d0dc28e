#include "report_columns.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "number_text.h"

std::vector<std::string> FigureHeader()
{
    return {"Utts",    "Words",    "W/Utt",      "MinW",          "MaxW",
            "Alt/Utt", "RTF min",  "RTF median", "RTF p90",       "RTF p99",
            "RTF max", "RTF mean", "Score<50",   "Dropped blocks"};
}

FigureValues FigureValuesOf(const LogFigures& figures)
{
    using Form = FigureCell::Form;
    const Spread& rtf = figures.realTimeFactor;
    bool any = rtf.count > 0;
    bool words = figures.scores.Total() > 0;
    bool utterances = figures.utterances > 0;
    auto count = [](int64_t value) { return FigureCell{Form::Count, 0, value}; };
    auto shown = [](bool known, Form form, double value) {
        return known ? FigureCell{form, value, 0} : FigureCell{};
    };
    return {count(static_cast<int64_t>(figures.utterances)),
            count(figures.words),
            shown(utterances, Form::OneDecimal, figures.wordsPerUtterance),
            utterances ? count(figures.fewestWords) : FigureCell{},
            utterances ? count(figures.mostWords) : FigureCell{},
            shown(utterances, Form::OneDecimal, figures.alternatesPerUtterance),
            shown(any, Form::ThreeDecimals, rtf.minimum),
            shown(any, Form::ThreeDecimals, rtf.median),
            shown(any, Form::ThreeDecimals, rtf.p90),
            shown(any, Form::ThreeDecimals, rtf.p99),
            shown(any, Form::ThreeDecimals, rtf.maximum),
            shown(any, Form::ThreeDecimals, rtf.mean),
            shown(words, Form::Percent, figures.shareUnder50),
            count(static_cast<int64_t>(figures.dropped))};
}

char* WriteCellText(char* text, const FigureCell& cell)
{
    switch (cell.form) {
    case FigureCell::Form::Count: return WriteCount(text, cell.count);
    case FigureCell::Form::OneDecimal: return WriteFixed(text, cell.value, 1);
    case FigureCell::Form::ThreeDecimals: return WriteFixed(text, cell.value, 3);
    case FigureCell::Form::Percent: return WritePercent(text, cell.value);
    case FigureCell::Form::Missing: break;
    }
    std::memcpy(text, "n/a", 3);
    return text + 3;
}

std::string CellText(const FigureCell& cell)
{
    char text[kNumberRoom];
    return std::string(text, WriteCellText(text, cell));
}

std::vector<std::string> FigureCells(const LogFigures& figures)
{
    std::vector<std::string> cells;
    for (const FigureCell& cell : FigureValuesOf(figures))
        cells.push_back(CellText(cell));
    return cells;
}

namespace {

bool Below(const FigureCell& a, const FigureCell& b)
{
    if (a.form == FigureCell::Form::Count)
        return a.count < b.count;
    return a.value < b.value ||
           (a.value == b.value && std::signbit(a.value) && !std::signbit(b.value));
}

} // namespace

void FigureColumnWidths::Add(const FigureValues& row)
{
    for (size_t i = 0; i < kFigureColumns; ++i) {
        const FigureCell& cell = row[i];
        if (cell.form == FigureCell::Form::Missing) {
            missing_[i] = true;
        } else if (!seen_[i]) {
            smallest_[i] = largest_[i] = cell;
            seen_[i] = true;
        } else {
            if (Below(cell, smallest_[i]))
                smallest_[i] = cell;
            if (Below(largest_[i], cell))
                largest_[i] = cell;
        }
    }
}

std::vector<size_t> FigureColumnWidths::Widths() const
{
    std::vector<size_t> widths(kFigureColumns, 0);
    for (size_t i = 0; i < kFigureColumns; ++i) {
        if (missing_[i])
            widths[i] = CellText(FigureCell{}).size();
        if (seen_[i])
            widths[i] =
                std::max({widths[i], CellText(smallest_[i]).size(), CellText(largest_[i]).size()});
    }
    return widths;
}

std::string BinName(int bin)
{
    return std::to_string(bin * 10) + "-" +
           std::to_string(bin == kScoreBins - 1 ? 100 : bin * 10 + 9);
}

std::vector<std::string> HistogramHeader()
{
    std::vector<std::string> header;
    for (int bin = 0; bin < kScoreBins; ++bin)
        header.push_back(BinName(bin));
    header.push_back("<0");
    header.push_back(">100");
    return header;
}

std::vector<std::string> HistogramCells(const ScoreHistogram& scores)
{
    std::vector<std::string> cells;
    for (int64_t count : scores.bins)
        cells.push_back(Count(count));
    cells.push_back(Count(scores.below));
    cells.push_back(Count(scores.above));
    return cells;
}

std::vector<std::string> AccuracyHeader()
{
    return {"Ref words", "Words", "Right", "Sub", "Del", "Ins", "WER", "Aligned"};
}

std::string AlignmentName(const LogAccuracy& accuracy)
{
    return accuracy.eachSegment    ? "each segment"
           : accuracy.perUtterance ? "per utterance"
                                   : "whole text";
}

std::vector<std::string> AccuracyCells(const StretchAccuracy& stretch, const std::string& aligned)
{
    const EditCounts& counts = stretch.counts;
    return {Count(counts.ReferenceWords()),  Count(stretch.recognisedWords),
            Count(counts.matches),           Count(counts.substitutions),
            Count(counts.deletions),         Count(counts.insertions),
            Percent(counts.WordErrorRate()), aligned};
}

std::vector<std::string> AccuracyCells(const LogAccuracy& accuracy)
{
    return AccuracyCells({accuracy.counts, accuracy.recognisedWords}, AlignmentName(accuracy));
}

std::vector<std::string> TrustHeader()
{
    std::vector<std::string> header;
    for (int bin = 0; bin < kScoreBins; ++bin)
        header.push_back("Err " + BinName(bin));
    header.push_back("Err <0");
    header.push_back("Err >100");
    header.push_back("Best threshold");
    header.push_back("Wrong flagged");
    header.push_back("Right flagged");
    return header;
}

std::vector<std::string> TrustCells(const ConfidenceTrust& trust)
{
    std::vector<std::string> cells;
    for (int bin = 0; bin < kScoreBins; ++bin)
        cells.push_back(Percent(trust.ErrorRate(bin)));
    cells.push_back(Percent(trust.ErrorRate(-1)));
    cells.push_back(Percent(trust.ErrorRate(kScoreBins)));
    bool separable = trust.rightWords > 0 && trust.wrongWords > 0;
    const ThresholdPoint& best = trust.thresholds[static_cast<size_t>(trust.bestThreshold)];
    cells.push_back(separable ? "<" + std::to_string(trust.bestThreshold) : "n/a");
    cells.push_back(separable ? Percent(best.wrongFlagged) : "n/a");
    cells.push_back(separable ? Percent(best.rightFlagged) : "n/a");
    return cells;
}

std::vector<std::string> ThresholdHeader()
{
    std::vector<std::string> header;
    for (int threshold = 10; threshold <= 100; threshold += 10)
        header.push_back("<" + std::to_string(threshold));
    return header;
}

std::vector<std::string> ThresholdCells(const ConfidenceTrust& trust)
{
    std::vector<std::string> cells;
    for (int threshold = 10; threshold <= 100; threshold += 10) {
        const ThresholdPoint& point = trust.thresholds[static_cast<size_t>(threshold)];
        cells.push_back(Percent(point.wrongFlagged) + "/" + Percent(point.rightFlagged));
    }
    return cells;
}

std::vector<std::string> TradeOffHeader()
{
    return {"Log", "Segment", "RTF median", "WER"};
}

std::vector<std::string> TradeOffCells(const TradeOffPoint& point)
{
    return {point.label, point.segment == 0 ? "all" : std::to_string(point.segment),
            Fixed(point.medianRtf, 3), Percent(point.wordErrorRate)};
}

const char* EditName(EditKind kind)
{
    switch (kind) {
    case EditKind::Match: return "ok";
    case EditKind::Substitution: return "sub";
    case EditKind::Deletion: return "del";
    case EditKind::Insertion: return "ins";
    }
    return "";
}
