// Every text of the dialog fits its control: each label, button, group box caption and
// display field is measured inside the program, in the font the control really uses, against
// the room its control gives it. A wider face than the dialog was laid out for shows up here
// as cut texts.
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "engine_session.h"
#include "resources/resource.h"

using e2e::Session;

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// The memory figures hold this machine's numbers, not the layout's: five digits of megabytes
// here, and a 64-bit build's address space (nine digits) for the virtual memory.
const int kMachineFigures[] = {IDC_TOTAL_PHYSICAL,     IDC_AVAILABLE_PHYSICAL, IDC_MEMORY_LOAD,
                               IDC_TOTAL_VIRTUAL,      IDC_AVAILABLE_VIRTUAL,  IDC_TOTAL_PAGE_FILE,
                               IDC_AVAILABLE_PAGE_FILE};

// Labels, buttons, group boxes and display fields; not the slider, the list, the two edits
// the user types into, which scroll, or the machine's memory figures.
bool Measured(HWND control)
{
    std::wstring kind = driver::ClassOf(control);
    int id = GetDlgCtrlID(control);
    if (lstrcmpiW(kind.c_str(), L"Edit") == 0)
        return id != IDC_TRANSCRIPTION && id != IDC_PATH &&
               std::find(std::begin(kMachineFigures), std::end(kMachineFigures), id) ==
                   std::end(kMachineFigures);
    return lstrcmpiW(kind.c_str(), L"Static") == 0 || lstrcmpiW(kind.c_str(), L"Button") == 0;
}

TEST(TextFit, EveryTextFitsItsControlInTheFontTheDialogUses)
{
    Session session;
    ASSERT_TRUE(session.Start());
    HWND dialog = session->Dialog();
    // The memory figures are the last fields the start-up fills.
    ASSERT_TRUE(driver::WaitUntil([&] {
        return IsWindowVisible(dialog) && !session->Text(IDC_AVAILABLE_PAGE_FILE).empty();
    }));

    std::vector<std::wstring> cut;
    int measured = 0;
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        std::wstring text = driver::WindowText(control);
        if (text.empty() || !Measured(control))
            continue;
        RECT client = {};
        GetClientRect(control, &client);
        std::wstring name = L"\"" + text + L"\" (" + driver::ClassOf(control) + L" " +
                            std::to_wstring(GetDlgCtrlID(control)) + L")";
        driver::Tarvell::TextMeasure measure = session->MeasureText(control);
        EXPECT_TRUE(measure.inDialogFont) << "not in the dialog's font: " << Narrow(name);
        ASSERT_GT(measure.width, 0) << "not measured: " << Narrow(name);
        ASSERT_GT(measure.room, 0) << Narrow(name);
        ASSERT_GT(measure.lineHeight, 0);
        ++measured;
        // A static as tall as two lines or more wraps its words, as "Fastest Response" does.
        bool wraps = lstrcmpiW(driver::ClassOf(control).c_str(), L"Static") == 0 &&
                     client.bottom >= 2 * measure.lineHeight;
        if (wraps) {
            if (measure.wrappedHeight < 0 || measure.wrappedHeight > client.bottom)
                cut.push_back(name + L": needs " + std::to_wstring(measure.wrappedHeight) +
                              L" px down of " + std::to_wstring(client.bottom) +
                              L" (-1: a word wider than the control)");
        } else if (measure.width > measure.room) {
            cut.push_back(name + L": " + std::to_wstring(measure.width) + L" px across of " +
                          std::to_wstring(measure.room));
        }
    }
    // Every label, button and group box of the template, and the display fields.
    EXPECT_GE(measured, 55);
    std::wstring report;
    for (const std::wstring& line : cut)
        report += line + L"\n";
    EXPECT_TRUE(cut.empty()) << cut.size() << " texts do not fit:\n" << Narrow(report);
    EXPECT_EQ(session->Exit(), 0u);
}

} // namespace
