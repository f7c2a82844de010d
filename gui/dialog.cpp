// The dialog: body, caption bar and frame strips sized together; the caption bar takes the
// dialog's text and its dragging, and the focus switches the bar and frame skins.
#include "gui/dialog.h"

#include <cstring>

namespace Tamrik {

CGUI::CDialogTray::CDialogTray(CGUI* owner) : CWindow(owner)
{
    SetRect(0, 0, 512, 24);
    texture = GUI_TEXTURE_DIALOG_TRAY_INACTIVE;
}

void CGUI::CDialogTray::OnDrag(int dx, int dy)
{
    // Only a dialog creates a bar, and always as its child.
    if (parent)
        parent->Translate(dx, dy);
}

CGUI::CDialog::CDialog(CGUI* owner) : CWindow(owner)
{
    SetRect(0, 0, 512, 512);
    texture = GUI_TEXTURE_DIALOG_BODY;

    tray = new CDialogTray(owner);
    leftFrame = new CWindow(owner);
    rightFrame = new CWindow(owner);
    bottomFrame = new CWindow(owner);
    leftFrame->SetRect(0, TRAY_HEIGHT, FRAME_WIDTH, 512 - FRAME_WIDTH);
    rightFrame->SetRect(512 - FRAME_WIDTH, TRAY_HEIGHT, 512, 512 - FRAME_WIDTH);
    bottomFrame->SetRect(0, 512 - FRAME_WIDTH, 512, 512);
    for (CWindow* part : {static_cast<CWindow*>(tray), leftFrame, rightFrame, bottomFrame}) {
        if (part != tray)
            part->texture = GUI_TEXTURE_DIALOG_FRAME_INACTIVE;
        part->parent = this;
        children.push_back(part);
    }
}

void CGUI::CDialog::SetSize(int width, int height)
{
    CWindow::SetSize(width, height);
    const int right = corners.points[QUAD_TOP_RIGHT].x;
    const int bottom = corners.points[QUAD_BOTTOM_LEFT].y;
    // The strips' inner edges, computed as the window's own arithmetic does: wrapping.
    const int inRight = static_cast<int>(static_cast<uint32_t>(right) - FRAME_WIDTH);
    const int inBottom = static_cast<int>(static_cast<uint32_t>(bottom) - FRAME_WIDTH);

    ScreenPoint* t = tray->corners.points;
    t[QUAD_BOTTOM_RIGHT].x = t[QUAD_TOP_RIGHT].x =
        static_cast<int>(static_cast<uint32_t>(t[QUAD_BOTTOM_LEFT].x) + static_cast<uint32_t>(width));

    ScreenPoint* l = leftFrame->corners.points;
    l[QUAD_BOTTOM_LEFT].y = l[QUAD_BOTTOM_RIGHT].y = inBottom;

    ScreenPoint* r = rightFrame->corners.points;
    r[QUAD_TOP_LEFT].x = r[QUAD_BOTTOM_LEFT].x = inRight;
    r[QUAD_BOTTOM_RIGHT].x = r[QUAD_TOP_RIGHT].x = right;
    r[QUAD_BOTTOM_LEFT].y = r[QUAD_BOTTOM_RIGHT].y = inBottom;

    ScreenPoint* f = bottomFrame->corners.points;
    f[QUAD_TOP_LEFT].y = f[QUAD_TOP_RIGHT].y = inBottom;
    f[QUAD_BOTTOM_LEFT].y = f[QUAD_BOTTOM_RIGHT].y = bottom;
    f[QUAD_BOTTOM_RIGHT].x = f[QUAD_TOP_RIGHT].x = right;
}

// The dialog's setters write the bar's fields, never through the bar's own virtual operations.
void CGUI::CDialog::SetDraggable(bool draggable)
{
    tray->draggable = draggable;
}

void CGUI::CDialog::SetText(const std::string& text)
{
    owner->AssignText(tray->text, text.data(), text.size());
}

void CGUI::CDialog::SetText(const char* text)
{
    owner->AssignText(tray->text, text ? text : "", text ? std::strlen(text) : 0);
}

void CGUI::CDialog::SetTextLayout(int layout)
{
    tray->textLayout = layout;
}

void CGUI::CDialog::SetTextColor(unsigned char r, unsigned char g, unsigned char b)
{
    tray->textColor[0] = r;
    tray->textColor[1] = g;
    tray->textColor[2] = b;
}

void CGUI::CDialog::SetFrameTextures(GUITextureId trayTexture, GUITextureId frameTexture)
{
    tray->texture = trayTexture;
    leftFrame->texture = frameTexture;
    rightFrame->texture = frameTexture;
    bottomFrame->texture = frameTexture;
}

void CGUI::CDialog::OnGainFocus(int, int)
{
    SetFrameTextures(GUI_TEXTURE_DIALOG_TRAY_ACTIVE, GUI_TEXTURE_DIALOG_FRAME_ACTIVE);
    RunHandler(ON_GAIN_FOCUS);
}

void CGUI::CDialog::OnLoseFocus(int, int)
{
    SetFrameTextures(GUI_TEXTURE_DIALOG_TRAY_INACTIVE, GUI_TEXTURE_DIALOG_FRAME_INACTIVE);
    RunHandler(ON_LOSE_FOCUS);
}

} // namespace Tamrik
