// The check box: toggles on every button-up that reaches it.
#pragma once
#include "gui/window.h"

namespace Tamrik {

class CGUI::CCheckBox : public CGUI::CWindow {
public:
    explicit CCheckBox(CGUI* owner);

    void OnMouseButtonUp(int a, int b) override;
    void OnMouseRolloverStart(int a, int b) override;
    void OnMouseRolloverEnd(int a, int b) override;

    // Exported to handler programs.
    bool IsChecked();

    bool checked = false;
};

} // namespace Tamrik
