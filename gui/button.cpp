// The push button's skins: normal, highlighted under the cursor, depressed while pressed.
#include "gui/button.h"

namespace Tamrik {

CGUI::CButton::CButton(CGUI* owner) : CWindow(owner)
{
    SetRect(0, 0, 256, 64);
    texture = GUI_TEXTURE_BUTTON;
}

void CGUI::CButton::OnMouseButtonDown(int, int)
{
    texture = GUI_TEXTURE_BUTTON_DEPRESSED;
    RunHandler(ON_MOUSE_BUTTON_DOWN);
}

void CGUI::CButton::OnMouseButtonUp(int, int)
{
    texture = GUI_TEXTURE_BUTTON_HIGHLIGHTED;
    RunHandler(ON_MOUSE_BUTTON_UP);
}

void CGUI::CButton::OnMouseRolloverStart(int, int)
{
    texture = GUI_TEXTURE_BUTTON_HIGHLIGHTED;
    RunHandler(ON_MOUSE_ROLLOVER_START);
}

void CGUI::CButton::OnMouseRolloverEnd(int, int)
{
    texture = GUI_TEXTURE_BUTTON;
    RunHandler(ON_MOUSE_ROLLOVER_END);
}

} // namespace Tamrik
