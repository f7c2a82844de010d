// SDL scancodes to the DirectInput scan codes that the keyboard state is indexed by.
#pragma once
#include <cstdint>

namespace platform {

// The DirectInput scan code of an SDL scancode; 0 for keys that have none.
uint8_t DirectInputScanCode(int sdlScancode);

} // namespace platform
