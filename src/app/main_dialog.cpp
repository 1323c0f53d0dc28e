#include "app/main_dialog.h"

#include "app/app_module.h"
#include "app/centre_window.h"
#include "resources/resource.h"

MainDialog::MainDialog()
    : ErrorReport(static_cast<const DialogBase&>(*this)),
      Icon(LoadIconW(Module.Instance(), MAKEINTRESOURCEW(IDI_TARVELL))), Events(*this)
{}

MainDialog::~MainDialog()
{
    Teardown();
}

INT_PTR MainDialog::DoModal(HWND owner)
{
    return DialogBase::DoModal(Module.Instance(), IDD_MAIN, owner, 0);
}

bool MainDialog::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result,
                                      DWORD mapId)
{
    if (mapId != 0)
        return false;
    switch (msg) {
    case WM_INITDIALOG: result = OnInitDialog(); return true;
    case WM_DESTROY: result = OnDestroy(); return true;
    case WM_COMMAND:
        return RouteCommand(HIWORD(wp), LOWORD(wp), reinterpret_cast<HWND>(lp), result);
    case WM_NOTIFY: return RouteNotify(static_cast<int>(wp), reinterpret_cast<NMHDR*>(lp), result);
    case ResultsRedraw::kReleaseMessage: resultsRedraw_.Release(); return result = 0, true;
    }
    return false;
}

bool MainDialog::RouteCommand(WORD code, WORD id, HWND control, LRESULT& result)
{
    if (id == IDOK)
        return result = OnExit(code, id, control), true;
    if (id == IDCANCEL)
        return result = OnExit(code, id, control), true;
    if (id == IDC_BROWSE)
        return result = OnBrowse(code, id, control), true;
    if (id == IDC_TRANSCRIBE)
        return result = OnTranscribe(code, id, control), true;
    if (id == IDC_STOP)
        return result = OnStop(code, id, control), true;
    if (id == IDC_CHECK_SNR)
        return result = OnCheckSnr(code, id, control), true;
    if (id == IDC_RESET_ALL)
        return result = OnResetAll(code, id, control), true;
    if (id == IDC_BOTTOM && code == BN_CLICKED)
        return result = OnBottom(code, id, control), true;
    if (id == IDC_TOP && code == BN_CLICKED)
        return result = OnTop(code, id, control), true;
    if (id == IDC_SAVE_LOG && code == BN_CLICKED)
        return result = OnSaveSessionLog(code, id, control), true;
    if (id == IDC_EXPORT_TEXT && code == BN_CLICKED)
        return result = OnExportText(code, id, control), true;
    return false;
}

bool MainDialog::RouteNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id == IDC_SPEED_ACCURACY && header->code == static_cast<UINT>(NM_CUSTOMDRAW))
        return result = OnSpeedAccuracyDraw(id, header), true;
    return false;
}

LRESULT MainDialog::OnInitDialog()
{
    HWND window = Window();
    if (Icon != nullptr) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon));
    }
    log_.Start();
    CentreWindow(window);
    // Each step reports its own failure, which has already ended the dialog.
    if (!ConnectEngine())
        return 1;
    if (RegisterDictationTarget())
        ApplyEngineSettings();
    ShowCpuInfo();
    ShowMemoryInfo();
    // Returning true lets the system focus the first tab stop, the Transcription Box.
    return 1;
}

LRESULT MainDialog::OnDestroy()
{
    Teardown();
    return 0;
}

LRESULT MainDialog::OnExit(WORD, WORD id, HWND)
{
    EndDialog(Window(), id);
    return 0;
}

void MainDialog::Teardown()
{
    ReleaseDictationTarget();
    log_.Discard();
}

LRESULT MainDialog::OnTop(WORD, WORD, HWND)
{
    SendDlgItemMessageW(Window(), IDC_RESULTS, LB_SETCARETINDEX, 0, 0);
    return 0;
}

LRESULT MainDialog::OnBottom(WORD, WORD, HWND)
{
    ShowLastResultLine();
    return 0;
}

void MainDialog::ShowLastResultLine()
{
    LRESULT count = SendDlgItemMessageW(Window(), IDC_RESULTS, LB_GETCOUNT, 0, 0);
    SendDlgItemMessageW(Window(), IDC_RESULTS, LB_SETCARETINDEX, static_cast<WPARAM>(count - 1), 0);
}
