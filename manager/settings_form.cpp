// Settings to control states and back.
#include "manager/settings_form.h"

#include <cerrno>
#include <string>

bool ReadSettingsFile(Tamrik::IniMap& settings, const char* path)
{
    const int error = Tamrik::ParseIniFile(settings, path);
    if (error == 0 || error == ENOENT)
        return true;
    Tamrik::ReportUnreadable(path, error);
    return false;
}

ControlStates ReadControlStates(Tamrik::IniMap& settings)
{
    ControlStates states;
    const std::string& renderer = settings["Display"]["Renderer"];
    states.openGL = renderer == "OpenGL";
    states.direct3D = !states.openGL && renderer == "Direct3D";
    states.fullscreen = settings["Display"]["Fullscreen"] == "true";
    states.debug = settings["Game"]["Log"] == "true";
    return states;
}

void StoreControlStates(Tamrik::IniMap& settings, const DisplayMode* mode, bool fullscreen,
                        bool debug, bool openGL)
{
    Tamrik::IniSection& display = settings["Display"];
    if (mode) {
        display["Width"] = std::to_string(mode->width);
        display["Height"] = std::to_string(mode->height);
        display["Depth"] = std::to_string(mode->bitsPerPel);
        display["RefreshRate"] = std::to_string(mode->frequency);
    }
    display["Fullscreen"] = fullscreen ? "true" : "false";
    settings["Game"]["Log"] = debug ? "true" : "false";
    display["Renderer"] = openGL ? "OpenGL" : "Direct3D";
}
