// The settings tool's mode list: which display modes it offers, their item texts, and which
// one the settings name.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ini_file.h"

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPel = 0;
    uint32_t frequency = 0;
};

// At least 16 bits per pixel and 640 x 480 pixels.
bool IsListedMode(const DisplayMode& mode);

// "0. 640x480, 16BPP, 60Hz" for the mode listed as number n.
std::string DisplayModeItemText(int n, const DisplayMode& mode);

// Whether [Display] Width, Height, Depth and RefreshRate, read as atoi does, name mode.
bool ModeMatchesSettings(const DisplayMode& mode, Tamrik::IniMap& settings);

struct DisplayModeList {
    std::vector<DisplayMode> modes;   // item i of the list is mode i
    std::vector<std::string> items;
    int selection = -1;               // -1: no listed mode is the configured one
};

// Lists the modes that enumerate reports (mode number i while it returns true), keeping the
// driver's order and duplicates. The last mode that the settings name is selected; when none
// is, nothing, so that a save keeps the configured mode.
DisplayModeList BuildDisplayModeList(const std::function<bool(uint32_t, DisplayMode*)>& enumerate,
                                     Tamrik::IniMap& settings);
