// The dialog's display-mode list and the ten-second mode test with its automatic way back.
#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "manager/manager_dialog.h"
#include "platform/display_modes.h"

void Kestrova_ManagerDialog::FillDisplayModes()
{
    DisplayModeList list;
    if (platform::OpenDisplayModes()) {
        auto enumerate = [](uint32_t number, DisplayMode* mode) {
            platform::ScreenMode screenMode;
            if (!platform::GetDisplayMode(number, &screenMode))
                return false;
            *mode = {screenMode.width, screenMode.height, screenMode.bitsPerPel,
                     screenMode.frequency};
            return true;
        };
        list = BuildDisplayModeList(enumerate, g_Settings);
    }
    g_DisplayModes = std::move(list.modes);
    for (const std::string& item : list.items)
        Choice1->Append(wxString::FromUTF8(item));
    if (list.selection >= 0)
        Choice1->SetSelection(list.selection);
}

void Kestrova_ManagerDialog::OnTestClick(wxCommandEvent&)
{
    int index = Choice1->GetSelection();
    if (!CheckBox1->GetValue())
        return;
    if (index < 0 || static_cast<size_t>(index) >= g_DisplayModes.size())
        return;
    const DisplayMode& mode = g_DisplayModes[index];
    TestDisplayMode(mode.width, mode.height, mode.bitsPerPel, mode.frequency);
}

void Kestrova_ManagerDialog::TestDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPel,
                                             uint32_t frequency)
{
    platform::ScreenMode mode{width, height, bitsPerPel, frequency};
    if (!platform::ChangeDisplayMode(mode))
        wxMessageBox("Ne mogu promijeniti rezoluciju!", _("Pogreska"), wxOK | wxCENTRE);
    g_TestTimer->Start(10000, wxTIMER_ONE_SHOT);
    // The box has only OK; closing it any other way ends the test the same way.
    wxMessageBox("Ako vidite ovaj prozor, rezolucija je u redu!", "Test rezolucije", wxOK);
    RestoreDisplayMode();
    g_TestTimer->Stop();
}

t::~t() = default;

void t::Notify()
{
    RestoreDisplayMode();
    wxMessageBox("Rezolucija vracena automatski!", "Test rezolucije", wxOK | wxICON_ERROR);
}

void RestoreDisplayMode()
{
    platform::RestoreStartMode();
}
