// Between "Settings.ini", the settings map and the settings tool's controls: the map read when
// the dialog opens, what the controls show for it, and what a save puts into it.
#pragma once
#include "core/ini_file.h"
#include "manager/display_mode_list.h"

// Fills settings from the file at path. False, said on standard error with the working folder,
// when the file is there but cannot be read: saving that map would lose the file's settings.
bool ReadSettingsFile(Tamrik::IniMap& settings, const char* path);

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
