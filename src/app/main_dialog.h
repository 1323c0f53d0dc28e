// The program's whole user interface: dialog 101 and every handler of it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <wrl/client.h>

#include "app/dialog_base.h"
#include "app/error_report.h"
#include "engine/dgn_interfaces.h"
#include "engine/dict_edit_events.h"
#include "measure/results_redraw.h"
#include "measure/session_statistics.h"
#include "records/session_log.h"

class MainDialog : public DialogBase, public ErrorReport
{
public:
    MainDialog();
    ~MainDialog() override;

    // Runs the dialog modally, owned by the given window.
    INT_PTR DoModal(HWND owner);

    // Safe to run twice and on a dialog whose window was never created.
    void Teardown();

    // The engine's events, delivered by Events on this thread.
    void OnRecognitionStarted();
    void OnResultReady();
    void OnTranscriptionEnded();

protected:
    bool ProcessWindowMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result,
                              DWORD mapId) override;

private:
    bool RouteCommand(WORD code, WORD id, HWND control, LRESULT& result);
    bool RouteNotify(int id, NMHDR* header, LRESULT& result);

    // Start-up, ending and the busy state.
    LRESULT OnInitDialog();
    LRESULT OnDestroy();
    LRESULT OnExit(WORD code, WORD id, HWND control);
    void SetBusy(bool busy);

    // The engine session.
    bool ConnectEngine();
    bool RegisterDictationTarget();
    bool ApplyEngineSettings();
    void ReleaseDictationTarget();
    LRESULT OnSpeedAccuracyDraw(int id, NMHDR* header);

    // Measuring.
    void AnalyzeResult();
    void WriteReportLine(const std::wstring& line);
    LRESULT OnResetAll(WORD code, WORD id, HWND control);

    // Audio files.
    std::wstring AudioPath() const;
    bool CheckAudioPath(const std::wstring& path);
    LRESULT OnBrowse(WORD code, WORD id, HWND control);
    LRESULT OnTranscribe(WORD code, WORD id, HWND control);
    LRESULT OnStop(WORD code, WORD id, HWND control);
    LRESULT OnCheckSnr(WORD code, WORD id, HWND control);
    void ShowSnr(double ratio);

    // Saving the log and exporting the transcript.
    LRESULT OnSaveSessionLog(WORD code, WORD id, HWND control);
    LRESULT OnExportText(WORD code, WORD id, HWND control);
    void ExportTranscript(const std::wstring& target);

    // System information.
    void ShowCpuInfo();
    void ShowMemoryInfo();

    // The results list.
    LRESULT OnTop(WORD code, WORD id, HWND control);
    LRESULT OnBottom(WORD code, WORD id, HWND control);
    void ShowLastResultLine();

    HICON Icon = nullptr;
    Microsoft::WRL::ComPtr<IDgnEditDictation> Dictation;
    DictEditEvents Events;
    DWORD RecognitionStartTick = 0;
    SessionStatistics Statistics;
    ResultsRedraw resultsRedraw_;
    SessionLog log_;
    bool speedFailureShown_ = false;
    // Set by the end of a transcription: an engine in another process can report the whole
    // transcription while TranscribeFile is still on its way back.
    bool transcriptionEnded_ = false;
};
