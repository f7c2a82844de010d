// Radio buttons: checking one unchecks the radio-button sibling checked before; the group reports which.
#include "gui/radio_button.h"

#include <algorithm>

#include "core/system.h"

namespace Tamrik {

CGUI::CRadioButtonGroup::CRadioButtonGroup(CGUI* owner) : CWindow(owner) {}

int CGUI::CRadioButtonGroup::GetCheckedIndex()
{
    // The one checked radio button among the children is the one remembered: its place is found
    // among the child pointers without looking into any child, which would miss the cache at
    // every one. Charged for the children passed; once the span's work is spent it answers none.
    const auto found = std::find(children.begin(), children.end(), checkedRadio);
    const size_t looked = static_cast<size_t>(found - children.begin()) + (found == children.end() ? 0 : 1);
    if (!owner->system->ChargeWork(looked * CHILD_CHECK_UNITS) || found == children.end())
        return -1;
    return static_cast<int>(found - children.begin());
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
        // Only a click checks a radio button, so of its siblings at most the one the parent
        // remembers is checked: unchecking it unchecks them all, however many there are.
        if (parent) {
            if (CRadioButton* previous = parent->checkedRadio) {
                previous->checked = false;
                previous->texture = GUI_TEXTURE_RADIOBUTTON;
            }
            parent->checkedRadio = this;
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
