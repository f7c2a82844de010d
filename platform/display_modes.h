// The display modes of the screen's primary output and temporary switches between them, for
// the settings tool.
#pragma once
#include <cstdint>

namespace platform {

struct ScreenMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPel = 0;  // of the screen's pixels; every mode of one screen shares it
    uint32_t frequency = 0;   // refresh rate in whole hertz
};

// Connects to the display and remembers its current mode as the one to go back to. False
// when there is no display to connect to. Later calls only report whether it is open.
bool OpenDisplayModes();

// Mode number index of the primary output, in the order the display reports them; false past
// the last one (and when the display is not open).
bool GetDisplayMode(uint32_t index, ScreenMode* mode);

// Switches the primary output to the first of its modes equal to mode. False when the output
// has no such mode or the display refuses the switch.
bool ChangeDisplayMode(const ScreenMode& mode);

// Puts back the mode that was current when OpenDisplayModes ran; does nothing when no switch
// has happened since.
void RestoreStartMode();

// Restores the start mode and disconnects.
void CloseDisplayModes();

} // namespace platform
