// Radio buttons: checking one unchecks its radio-button siblings; the group reports which.
#include "gui/radio_button.h"

#include "core/system.h"

namespace Tamrik {

CGUI::CRadioButtonGroup::CRadioButtonGroup(CGUI* owner) : CWindow(owner) {}

int CGUI::CRadioButtonGroup::GetCheckedIndex()
{
    // Charged for the children it looks at; once the span's work is spent it answers none.
    for (size_t i = 0; i < children.size(); ++i) {
        if (!owner->system->ChargeWork(CHILD_CHECK_UNITS))
            return -1;
        auto* radio = dynamic_cast<CRadioButton*>(children[i]);
        if (radio && radio->checked)
            return static_cast<int>(i);
    }
    return -1;
}

CGUI::CRadioButton::CRadioButton(CGUI* owner) : CWindow(owner)
{
    SetRect(0, 0, 16, 16);
    texture = GUI_TEXTURE_RADIOBUTTON;
}

void CGUI::CRadioButton::OnMouseButtonUp(int, int)
{
    if (!checked) {
        checked = true;
        texture = GUI_TEXTURE_RADIOBUTTON_CHECKED_HIGHLIGHTED;
        if (parent) {
            // A click unchecks every sibling, however many: charged, never cut short.
            owner->system->ChargeWork(parent->children.size() * CHILD_CHECK_UNITS);
            for (CWindow* sibling : parent->children) {
                auto* radio = dynamic_cast<CRadioButton*>(sibling);
                if (radio && radio != this) {
                    radio->checked = false;
                    radio->texture = GUI_TEXTURE_RADIOBUTTON;
                }
            }
        }
    }
    RunHandler(ON_MOUSE_BUTTON_UP);
}

void CGUI::CRadioButton::OnMouseRolloverStart(int, int)
{
    texture = checked ? GUI_TEXTURE_RADIOBUTTON_CHECKED_HIGHLIGHTED : GUI_TEXTURE_RADIOBUTTON_HIGHLIGHTED;
    RunHandler(ON_MOUSE_ROLLOVER_START);
}

void CGUI::CRadioButton::OnMouseRolloverEnd(int, int)
{
    texture = checked ? GUI_TEXTURE_RADIOBUTTON_CHECKED : GUI_TEXTURE_RADIOBUTTON;
    RunHandler(ON_MOUSE_ROLLOVER_END);
}

} // namespace Tamrik
