// Writing the settings map back to its file so that the INI reader gets the same map again.
#pragma once
#include <string>

#include "core/ini_file.h"

// Sections and keys in map order, every value quoted, CR LF line ends.
std::string FormatSettings(const Tamrik::IniMap& settings);

// Replaces the file at path whole: written beside it, flushed, then renamed over it, so a
// failed save leaves the old file as it was. On failure one line goes to standard error.
bool WriteSettingsFile(const Tamrik::IniMap& settings, const char* path);
