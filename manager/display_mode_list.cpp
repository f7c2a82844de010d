// The mode filter, item texts and the preselection of the settings tool's mode list.
#include "manager/display_mode_list.h"

#include <cstdio>
#include <cstdlib>

bool IsListedMode(const DisplayMode& mode)
{
    return mode.bitsPerPel > 15 && mode.width > 639 && mode.height > 479;
}

std::string DisplayModeItemText(int n, const DisplayMode& mode)
{
    char text[96];
    std::snprintf(text, sizeof text, "%d. %lux%lu, %luBPP, %luHz", n,
                  static_cast<unsigned long>(mode.width), static_cast<unsigned long>(mode.height),
                  static_cast<unsigned long>(mode.bitsPerPel),
                  static_cast<unsigned long>(mode.frequency));
    return text;
}

bool ModeMatchesSettings(const DisplayMode& mode, Tamrik::IniMap& settings)
{
    // atoi's int compared as the 32-bit value it converts to, so "-1" names 4294967295.
    auto setting = [&](const char* key) {
        return static_cast<uint32_t>(std::atoi(settings["Display"][key].c_str()));
    };
    return setting("Width") == mode.width && setting("Height") == mode.height &&
           setting("Depth") == mode.bitsPerPel && setting("RefreshRate") == mode.frequency;
}

DisplayModeList BuildDisplayModeList(const std::function<bool(uint32_t, DisplayMode*)>& enumerate,
                                     Tamrik::IniMap& settings)
{
    DisplayModeList list;
    DisplayMode mode;
    for (uint32_t number = 0; enumerate(number, &mode); ++number) {
        if (!IsListedMode(mode))
            continue;
        int n = static_cast<int>(list.modes.size());
        list.modes.push_back(mode);
        if (ModeMatchesSettings(mode, settings))
            list.selection = n;
        list.items.push_back(DisplayModeItemText(n, mode));
    }
    return list;
}
