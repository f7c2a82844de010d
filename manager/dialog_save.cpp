// "Pohrani": the controls into the settings map, and the map into "Settings.ini".
#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "manager/manager_dialog.h"
#include "manager/settings_form.h"
#include "manager/settings_writer.h"

void Kestrova_ManagerDialog::OnSaveClick(wxCommandEvent&)
{
    // Without a listed mode there is nothing to take the four mode keys from: they stay.
    int index = Choice1->GetSelection();
    const DisplayMode* mode = nullptr;
    if (index >= 0 && static_cast<size_t>(index) < g_DisplayModes.size())
        mode = &g_DisplayModes[index];
    StoreControlStates(g_Settings, mode, CheckBox1->GetValue(), CheckBox2->GetValue(),
                       RadioButton1->GetValue());
    WriteSettings();
}

void Kestrova_ManagerDialog::WriteSettings()
{
    // Standard error has the reason; a desktop user only sees this. A file that could not be read
    // when the dialog opened is not replaced by what the dialog holds without it.
    bool oldLost = false;
    if (!g_SettingsRead || !WriteSettingsFile(g_Settings, "Settings.ini", &oldLost))
        wxMessageBox(oldLost ? "Ne mogu spremiti postavke! Ne mogu vratiti stare postavke!"
                             : "Ne mogu spremiti postavke!",
                     _("Pogreska"), wxOK | wxCENTRE);
}
