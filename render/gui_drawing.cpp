// The GUI over the 3D view: every visible top-level window with its text and visible
// descendants, then the cursor. The walk keeps its own stack, so no depth of nesting can
// overflow the program's, and reuses it from frame to frame, so a frame allocates nothing.
#include "render/render_device.h"

#include "gui/gui.h"
#include "gui/window.h"
#include "render/text_placement.h"

namespace Tamrik {

bool CRenderDevice::GUIActive()
{
    return gui && gui->GetActive();
}

void CRenderDevice::DrawGUI()
{
    if (!gui)
        return;
    // The back of the list is the front-most window: drawn last, it lies over the others.
    for (CGUI::CWindow* window : gui->Windows()) {
        if (window->visible)
            DrawWindow(window);
    }
    const auto cursor = guiTextures.find(gui->cursorTexture);
    if (cursor != guiTextures.end())
        DrawQuad(&gui->cursor, cursor->second.texture);
}

template <class Window>
void CRenderDevice::DrawWindow(Window* window)
{
    if (!window)
        return;
    // Depth first, each window before its children and the children in list order, as a
    // recursion would draw them: children are pushed last first.
    const int32_t lineHeight = font.GetLineHeight(); // the same for every line: measured once
    guiDrawStack.clear();
    guiDrawStack.push_back(window);
    while (!guiDrawStack.empty()) {
        Window* w = static_cast<Window*>(guiDrawStack.back());
        guiDrawStack.pop_back();

        if (w->texture >= 0) {
            // An id without an entry has no picture to draw.
            const auto picture = guiTextures.find(w->texture);
            DrawQuad(&w->corners, picture != guiTextures.end() ? picture->second.texture : nullptr);
        }
        if (!w->text.empty()) {
            const char* text = w->text.c_str();
            const ScreenPoint at = PlaceText(w->corners, w->textLayout, font.GetTextWidth(text), lineHeight);
            DrawString(text, at.x, at.y, w->textColor[0], w->textColor[1], w->textColor[2]);
        }
        for (auto child = w->children.rbegin(); child != w->children.rend(); ++child) {
            if ((*child)->visible)
                guiDrawStack.push_back(*child);
        }
    }
}

template void CRenderDevice::DrawWindow<CGUI::CWindow>(CGUI::CWindow* window);

} // namespace Tamrik
