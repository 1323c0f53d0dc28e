// The program's whole user interface: dialog 101 and every handler of it.
#pragma once

#include <windows.h>

#include "app/dialog_base.h"
#include "app/error_report.h"
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

protected:
    bool ProcessWindowMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result,
                              DWORD mapId) override;

private:
    bool RouteCommand(WORD code, WORD id, HWND control, LRESULT& result);

    // Start-up, ending and the busy state.
    LRESULT OnInitDialog();
    LRESULT OnDestroy();
    LRESULT OnExit(WORD code, WORD id, HWND control);
    void SetBusy(bool busy);

    // The results list.
    LRESULT OnTop(WORD code, WORD id, HWND control);
    LRESULT OnBottom(WORD code, WORD id, HWND control);
    void ShowLastResultLine();

    HICON Icon = nullptr;
    SessionLog log_;
};
