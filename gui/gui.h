// The GUI manager (a stand-in that registers itself until the widgets are built).
#pragma once

namespace Tamrik {

class CSystem;

class CGUI {
public:
    explicit CGUI(CSystem* system);
    ~CGUI();
    CGUI(const CGUI&) = delete;
    CGUI& operator=(const CGUI&) = delete;

    // Builds the widget tree of "gui/gui.xml".
    void Load();

    // Exported to handler programs.
    void SetActive(bool active);
    bool GetActive();

    CSystem* system;
    bool active = false;
};

} // namespace Tamrik
