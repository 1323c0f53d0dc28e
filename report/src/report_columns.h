// The columns every output shares (terminal, CSV, HTML), so that they always agree.
#pragma once

#include <string>
#include <vector>

#include "log_accuracy.h"
#include "log_figures.h"
#include "trade_off.h"

std::vector<std::string> FigureHeader();
std::vector<std::string> FigureCells(const LogFigures& figures);

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
