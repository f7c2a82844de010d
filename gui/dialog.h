// The dialog: a body with a caption bar that carries its text and drags it, and three frame
// strips, all of them children of the body.
#pragma once
#include "gui/window.h"

namespace Tamrik {

class CGUI::CDialogTray : public CGUI::CWindow {
public:
    explicit CDialogTray(CGUI* owner);

    // Drags the dialog, not the bar alone.
    void OnDrag(int dx, int dy) override;
};

class CGUI::CDialog : public CGUI::CWindow {
public:
    explicit CDialog(CGUI* owner);

    void SetSize(int width, int height) override;
    void SetDraggable(bool draggable) override;
    void SetText(const std::string& text) override;
    void SetText(const char* text) override;
    void SetTextLayout(int layout) override;
    void SetTextColor(unsigned char r, unsigned char g, unsigned char b) override;
    void OnGainFocus(int a, int b) override;
    void OnLoseFocus(int a, int b) override;
    bool ReactsToFocus() override { return true; }

    // Also children of the dialog, which owns them through its child list.
    CDialogTray* tray;
    CWindow* leftFrame;
    CWindow* rightFrame;
    CWindow* bottomFrame;

    static constexpr int TRAY_HEIGHT = 24;
    static constexpr int FRAME_WIDTH = 2;

private:
    void SetFrameTextures(GUITextureId trayTexture, GUITextureId frameTexture);
};

} // namespace Tamrik
