// Where a GUI window's text line goes: its top-left corner from the window's corners, its
// TextLayout and the text's measures.
#pragma once
#include <cstdint>

#include "render/screen_quad.h"

namespace Tamrik {

// The top-left corner of the text line; a layout outside the 13 known ones gives (0, 0).
ScreenPoint PlaceText(const ScreenQuad& corners, int32_t layout, int32_t textWidth, int32_t lineHeight);

} // namespace Tamrik
