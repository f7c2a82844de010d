// Exported methods of the GUI manager, the window, the check box and the radio-button group.
#include "gui/check_box.h"
#include "gui/gui.h"
#include "gui/radio_button.h"
#include "gui/window.h"
#include "script/export_table.h"

namespace Tamrik {

using CWindow = CGUI::CWindow;

namespace {

// The exported virtual setters run the window's own implementation whatever the window's class,
// so each is called qualified.
void SetDraggable(CWindow* w, bool d) { w->CWindow::SetDraggable(d); }
void SetCString(CWindow* w, const char* t) { w->CWindow::SetText(t); }
void SetString(CWindow* w, const std::string& t) { w->CWindow::SetText(t); }
void SetTextLayout(CWindow* w, int layout) { w->CWindow::SetTextLayout(layout); }
void SetTextColor(CWindow* w, unsigned char r, unsigned char g, unsigned char b) { w->CWindow::SetTextColor(r, g, b); }
void SetSize(CWindow* w, int width, int height) { w->CWindow::SetSize(width, height); }
void Stretch(CWindow* w, int dw, int dh) { w->CWindow::Stretch(dw, dh); }

} // namespace

std::span<const ExportRow> GUIExports()
{
    static constexpr ExportRow rows[] = {
        Export<&CGUI::SetActive>("?SetActive@CGUI@Tamrik@@QAEX_N@Z", PLAIN_CALL_UNITS),
        Export<&CGUI::GetActive>("?GetActive@CGUI@Tamrik@@QAE_NXZ", PLAIN_CALL_UNITS),
        Export<&CWindow::IsVisible>("?IsVisible@CWindow@CGUI@Tamrik@@QAE_NXZ", PLAIN_CALL_UNITS),
        Export<&CWindow::IsDraggable>("?IsDraggable@CWindow@CGUI@Tamrik@@QAE_NXZ", PLAIN_CALL_UNITS),
        Export<&SetDraggable>(
            "?SetDraggable@CWindow@CGUI@Tamrik@@UAEX_N@Z", PLAIN_CALL_UNITS),
        Export<&SetCString>(
            "?SetText@CWindow@CGUI@Tamrik@@UAEXPBD@Z", PLAIN_CALL_UNITS),
        Export<&SetString>(
            "?SetText@CWindow@CGUI@Tamrik@@UAEXABV?$basic_string@DU?$char_traits@D@std@@V?$allocator@D@2@@std@@@Z", PLAIN_CALL_UNITS),
        Export<&CWindow::GetText>(
            "?GetText@CWindow@CGUI@Tamrik@@QAEABV?$basic_string@DU?$char_traits@D@std@@V?$allocator@D@2@@std@@XZ", PLAIN_CALL_UNITS),
        Export<&SetTextLayout>(
            "?SetTextLayout@CWindow@CGUI@Tamrik@@UAEXH@Z", PLAIN_CALL_UNITS),
        Export<&CWindow::GetTextLayout>("?GetTextLayout@CWindow@CGUI@Tamrik@@QAEHXZ", PLAIN_CALL_UNITS),
        Export<&SetTextColor>("?SetTextColor@CWindow@CGUI@Tamrik@@UAEXEEE@Z", PLAIN_CALL_UNITS),
        Export<&CWindow::GetTextColor>("?GetTextColor@CWindow@CGUI@Tamrik@@QAEPBEXZ", PLAIN_CALL_UNITS),
        Export<&CWindow::SetVisible>("?SetVisible@CWindow@CGUI@Tamrik@@QAEX_N@Z", PLAIN_CALL_UNITS),
        Export<&CWindow::SetPosition>("?SetPosition@CWindow@CGUI@Tamrik@@QAEXHH@Z", PLAIN_CALL_UNITS),
        Export<&CWindow::Translate>("?Translate@CWindow@CGUI@Tamrik@@QAEXHH@Z", PLAIN_CALL_UNITS),
        Export<&SetSize>(
            "?SetSize@CWindow@CGUI@Tamrik@@UAEXHH@Z", PLAIN_CALL_UNITS),
        Export<&Stretch>(
            "?Stretch@CWindow@CGUI@Tamrik@@UAEXHH@Z", PLAIN_CALL_UNITS),
        Export<&CGUI::CCheckBox::IsChecked, CWindow>("?IsChecked@CCheckBox@CGUI@Tamrik@@QAE_NXZ", PLAIN_CALL_UNITS),
        Export<&CGUI::CRadioButtonGroup::GetCheckedIndex, CWindow>(
            "?GetCheckedIndex@CRadioButtonGroup@CGUI@Tamrik@@QAEHXZ", PLAIN_CALL_UNITS),
    };
    return rows;
}

} // namespace Tamrik
