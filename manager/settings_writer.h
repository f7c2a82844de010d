// Writing the settings map back to its file so that the INI reader gets the same map again.
#pragma once
#include <string>

#include "core/ini_file.h"

// Sections and keys in map order, every value quoted, CR LF line ends.
std::string FormatSettings(const Tamrik::IniMap& settings);

// Replaces the file at path whole, or the file that its symbolic links name: written beside it,
// flushed, then renamed over it. A file with more than one hard link, or in a folder that takes
// no new file or no rename over it, is overwritten in place instead. Its permissions stay; a
// failed save leaves the old file as it was and sends one line to standard error.
bool WriteSettingsFile(const Tamrik::IniMap& settings, const char* path);
