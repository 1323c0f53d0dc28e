#include "app/main_dialog.h"

#include "app/com_owners.h"
#include "app/control_text.h"
#include "measure/report_lines.h"
#include "measure/utterance_measurement.h"
#include "records/log_text.h"
#include "resources/resource.h"

using Microsoft::WRL::ComPtr;

namespace {

struct StampHalves
{
    LONG high = 0;
    LONG low = 0;
};

// A stamp that cannot be had counts as 0.
StampHalves ReadStamp(HRESULT (STDMETHODCALLTYPE IDgnResult::*get)(ResultTime**),
                      IDgnResult* result)
{
    StampHalves halves;
    ComPtr<ResultTime> time;
    (result->*get)(time.GetAddressOf());
    if (time) {
        time->GetHighPart(&halves.high);
        time->GetLowPart(&halves.low);
    }
    return halves;
}

// An object handed back as null with a success code cannot be used: treat it as a failure.
// The owner is read here, after the call that filled it has returned.
template <class T> HRESULT Usable(HRESULT hr, const ComPtr<T>& object)
{
    return SUCCEEDED(hr) && !object ? E_POINTER : hr;
}

} // namespace

void MainDialog::AnalyzeResult()
{
    ShowMemoryInfo();
    SYSTEMTIME now;
    GetLocalTime(&now);
    ShowControlText(Window(), IDC_STOP_TIME, FormatTimeOfDay(now));
    // Every result event counts, whether or not its analysis succeeds.
    CountUtterance(Statistics);

    UtteranceMeasurement measurement;
    ComPtr<IDgnResult> result;
    HRESULT hr = Usable(Dictation->get_LastResult(result.GetAddressOf()), result);
    if (FAILED(hr)) {
        ReportHResult(L"IDgnEditDictation::get_LastResult(&pIDgnResult) failed", hr, false);
        return;
    }
    StampHalves start = ReadStamp(&IDgnResult::GetStartTime, result.Get());
    StampHalves end = ReadStamp(&IDgnResult::GetEndTime, result.Get());
    // Read the tick before any output work: the listing must not count as processing time.
    DWORD tick = GetTickCount();
    SetTiming(measurement, start.high, start.low, end.high, end.low, tick, RecognitionStartTick);
    AddTiming(Statistics, measurement.Duration, measurement.Processing);

    ComPtr<ResultPhraseList> phrases;
    hr = Usable(result->GetPhrases(phrases.GetAddressOf()), phrases);
    ComPtr<IDgnResPhrase> best;
    if (SUCCEEDED(hr)) {
        LONG phraseCount = 0;
        phrases->GetCount(&phraseCount);
        measurement.AlternateCount = phraseCount;
        hr = Usable(phrases->get_Item(0, best.GetAddressOf()), best);
    }
    if (FAILED(hr)) {
        ReportHResult(L"IDgnEditDictation::get_Item(0, &pIDgnResPhrase) failed", hr, false);
        return;
    }
    ComPtr<IDgnResWords> words;
    hr = Usable(best->get_Words(words.GetAddressOf()), words);
    if (FAILED(hr)) {
        ReportHResult(L"IDgnEditDictation::get_Words(&pIDgnResWords) failed", hr, false);
        return;
    }
    LONG wordCount = 0;
    words->GetCount(&wordCount);
    measurement.WordCount = wordCount;
    AddWords(Statistics, wordCount);

    resultsRedraw_.Hold(Window(), Item(IDC_RESULTS));
    for (const std::wstring& line : OpeningLines(Statistics.UtteranceCount, measurement))
        WriteReportLine(line);
    for (LONG i = 0; i < wordCount; ++i) {
        ComPtr<IDgnResWord> word;
        hr = Usable(words->get_Item(i, word.GetAddressOf()), word);
        if (FAILED(hr)) {
            resultsRedraw_.Release();
            ReportHResult(L"IDgnEditDictation::get_Item(i, & pIDgnResWord) failed", hr, false);
            return;
        }
        LONG score = 0;
        hr = word->get_ConfidenceScore(&score);
        if (FAILED(hr)) {
            resultsRedraw_.Release();
            ReportHResult(L"IDgnEditDictation::get_ConfidenceScore(&lConfScore) failed", hr, false);
            return;
        }
        Bstr text;
        hr = word->get_Text(text.Out());
        if (FAILED(hr)) {
            resultsRedraw_.Release();
            ReportHResult(L"IDgnEditDictation::get_Text(&szWord) failed", hr, false);
            return;
        }
        WriteReportLine(WordLine(score, text.Get()));
        FoldWord(measurement, score, text.Get());
        UpdateSessionExtremes(Statistics, measurement);
    }
    FinishAverage(measurement);
    AddAverageScore(Statistics, measurement.AverageScore);
    for (const std::wstring& line : ClosingLines(measurement))
        WriteReportLine(line);
    ShowLastResultLine();
    Statistics.Show(Window());
}

void MainDialog::WriteReportLine(const std::wstring& line)
{
    SendDlgItemMessageW(Window(), IDC_RESULTS, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(line.c_str()));
    log_.AppendLine(line.c_str());
}
