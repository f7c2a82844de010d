// The push button: a window whose skin follows the cursor and the mouse button.
#pragma once
#include "gui/window.h"

namespace Tamrik {

class CGUI::CButton : public CGUI::CWindow {
public:
    explicit CButton(CGUI* owner);

    void OnMouseButtonDown(int a, int b) override;
    void OnMouseButtonUp(int a, int b) override;
    void OnMouseRolloverStart(int a, int b) override;
    void OnMouseRolloverEnd(int a, int b) override;
};

} // namespace Tamrik
