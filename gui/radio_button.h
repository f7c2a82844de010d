// Radio buttons and their group: one checked radio button among the children of a parent.
#pragma once
#include "gui/window.h"

namespace Tamrik {

class CGUI::CRadioButtonGroup : public CGUI::CWindow {
public:
    explicit CRadioButtonGroup(CGUI* owner);

    // Exported to handler programs: the child position of the first checked radio button,
    // counting children of every class; -1 for none.
    int GetCheckedIndex();
};

class CGUI::CRadioButton : public CGUI::CWindow {
public:
    explicit CRadioButton(CGUI* owner);

    void OnMouseButtonUp(int a, int b) override;
    void OnMouseRolloverStart(int a, int b) override;
    void OnMouseRolloverEnd(int a, int b) override;

    bool checked = false;
};

} // namespace Tamrik
