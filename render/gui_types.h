// The GUI pictures by id and the text placements: the GUI's windows store them, the render
// device loads the pictures and places the texts by them.
#pragma once
#include <cstdint>

namespace Tamrik {

// Index 0 to 20 of a GUI picture, -1 for none.
using GUITextureId = int32_t;
constexpr int32_t GUI_TEXTURE_COUNT = 21;

// The ids in the order of the render device's file table.
enum : GUITextureId {
    GUI_TEXTURE_NONE = -1,
    GUI_TEXTURE_CURSOR = 0,
    GUI_TEXTURE_CURSOR_RESIZE_VERTICAL = 1,
    GUI_TEXTURE_CURSOR_RESIZE_HORIZONTAL = 2,
    GUI_TEXTURE_CURSOR_RESIZE_BOTH = 3,
    GUI_TEXTURE_CURSOR_BUSY = 4,
    GUI_TEXTURE_BUTTON = 5,
    GUI_TEXTURE_BUTTON_HIGHLIGHTED = 6,
    GUI_TEXTURE_BUTTON_DEPRESSED = 7,
    GUI_TEXTURE_DIALOG_TRAY_ACTIVE = 8,
    GUI_TEXTURE_DIALOG_TRAY_INACTIVE = 9,
    GUI_TEXTURE_DIALOG_FRAME_ACTIVE = 10,
    GUI_TEXTURE_DIALOG_FRAME_INACTIVE = 11,
    GUI_TEXTURE_DIALOG_BODY = 12,
    GUI_TEXTURE_CHECKBOX = 13,
    GUI_TEXTURE_CHECKBOX_CHECKED = 14,
    GUI_TEXTURE_CHECKBOX_HIGHLIGHTED = 15,
    GUI_TEXTURE_CHECKBOX_CHECKED_HIGHLIGHTED = 16,
    GUI_TEXTURE_RADIOBUTTON = 17,
    GUI_TEXTURE_RADIOBUTTON_CHECKED = 18,
    GUI_TEXTURE_RADIOBUTTON_HIGHLIGHTED = 19,
    GUI_TEXTURE_RADIOBUTTON_CHECKED_HIGHLIGHTED = 20,
};

// Where a window's text goes. A window stores any integer; values outside 0 to 12 are drawn
// as the render device decides.
enum TextLayout : int32_t {
    LEFT_UP = 0,
    LEFT_CENTER = 1,
    LEFT_DOWN = 2,
    CENTER_UP = 3,
    CENTER = 4,
    CENTER_DOWN = 5,
    RIGHT_UP = 6,
    RIGHT_CENTER = 7,
    RIGHT_DOWN = 8,
    DISPLACED_LEFT = 9,
    DISPLACED_RIGHT = 10,
    DISPLACED_UP = 11,
    DISPLACED_DOWN = 12,
};
constexpr int32_t TEXT_LAYOUT_COUNT = 13;

} // namespace Tamrik
