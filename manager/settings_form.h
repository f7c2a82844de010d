// Between the settings map and the settings tool's controls: what the controls show for a map,
// and what a save puts into the map.
#pragma once
#include "core/ini_file.h"
#include "manager/display_mode_list.h"

struct ControlStates {
    bool openGL = false;
    bool direct3D = false;
    bool fullscreen = false;
    bool debug = false;
};

// Exact, case-sensitive: only "OpenGL", "Direct3D" and "true" switch a control on.
ControlStates ReadControlStates(Tamrik::IniMap& settings);

// Puts the controls' state into the map; mode null (nothing listed) keeps the four mode keys.
void StoreControlStates(Tamrik::IniMap& settings, const DisplayMode* mode, bool fullscreen,
                        bool debug, bool openGL);
