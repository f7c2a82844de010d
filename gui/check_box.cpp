// The check box: its state and its four skins.
#include "gui/check_box.h"

namespace Tamrik {

CGUI::CCheckBox::CCheckBox(CGUI* owner) : CWindow(owner)
{
    SetRect(0, 0, 16, 16);
    texture = GUI_TEXTURE_CHECKBOX;
}

void CGUI::CCheckBox::OnMouseButtonUp(int, int)
{
    checked = !checked;
    texture = checked ? GUI_TEXTURE_CHECKBOX_CHECKED_HIGHLIGHTED : GUI_TEXTURE_CHECKBOX_HIGHLIGHTED;
    RunHandler(ON_MOUSE_BUTTON_UP);
}

void CGUI::CCheckBox::OnMouseRolloverStart(int, int)
{
    texture = checked ? GUI_TEXTURE_CHECKBOX_CHECKED_HIGHLIGHTED : GUI_TEXTURE_CHECKBOX_HIGHLIGHTED;
    RunHandler(ON_MOUSE_ROLLOVER_START);
}

void CGUI::CCheckBox::OnMouseRolloverEnd(int, int)
{
    texture = checked ? GUI_TEXTURE_CHECKBOX_CHECKED : GUI_TEXTURE_CHECKBOX;
    RunHandler(ON_MOUSE_ROLLOVER_END);
}

bool CGUI::CCheckBox::IsChecked()
{
    return checked;
}

} // namespace Tamrik
