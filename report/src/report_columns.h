// The columns every output shares (terminal, CSV, HTML), so that they always agree.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "log_accuracy.h"
#include "log_figures.h"
#include "trade_off.h"

std::vector<std::string> FigureHeader();
std::vector<std::string> FigureCells(const LogFigures& figures);

// A figure cell before it is written: its value and how it is written. The width of a written
// number grows with its size, so a column's widest cell is one of its extremes.
struct FigureCell
{
    enum class Form
    {
        Count,
        OneDecimal,
        ThreeDecimals,
        Percent,
        Missing, // "n/a"
    };
    Form form = Form::Missing;
    double value = 0; // all but counts
    int64_t count = 0;
};
constexpr size_t kFigureColumns = 14;
using FigureValues = std::array<FigureCell, kFigureColumns>;
FigureValues FigureValuesOf(const LogFigures& figures);
std::string CellText(const FigureCell& cell);
// The same into text, kNumberRoom bytes; returns past the last byte written.
char* WriteCellText(char* text, const FigureCell& cell);

// The widest cell of each figure column over many rows, found without writing them all.
class FigureColumnWidths
{
public:
    void Add(const FigureValues& row);
    std::vector<size_t> Widths() const;

private:
    // Per column, the smallest and largest value seen (-0 below 0: it is written "-0.000").
    std::array<FigureCell, kFigureColumns> smallest_{};
    std::array<FigureCell, kFigureColumns> largest_{};
    std::array<bool, kFigureColumns> seen_{};
    std::array<bool, kFigureColumns> missing_{};
};

// "0-9", "10-19", ..., "90-100".
std::string BinName(int bin);
std::vector<std::string> HistogramHeader();
std::vector<std::string> HistogramCells(const ScoreHistogram& scores);

std::vector<std::string> AccuracyHeader();
// "whole text", "per utterance" or "each segment".
std::string AlignmentName(const LogAccuracy& accuracy);
std::vector<std::string> AccuracyCells(const StretchAccuracy& stretch, const std::string& aligned);
std::vector<std::string> AccuracyCells(const LogAccuracy& accuracy);

// Error rate per score bin (those under 0 and over 100 last), then the best threshold with
// its two shares.
std::vector<std::string> TrustHeader();
std::vector<std::string> TrustCells(const ConfidenceTrust& trust);

// Thresholds 10, 20, ..., 100: "wrong flagged / right flagged".
std::vector<std::string> ThresholdHeader();
std::vector<std::string> ThresholdCells(const ConfidenceTrust& trust);

// Log, segment ("all" for the whole log), median real-time factor, word error rate.
std::vector<std::string> TradeOffHeader();
std::vector<std::string> TradeOffCells(const TradeOffPoint& point);

const char* EditName(EditKind kind);
