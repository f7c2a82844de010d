// Writing the settings map back to its file so that the INI reader gets the same map again.
#pragma once
#include <string>

#include "core/ini_file.h"

// Sections and keys in map order, every value quoted, CR LF line ends.
std::string FormatSettings(const Tamrik::IniMap& settings);

// Replaces the file at path whole, or the file that its symbolic links name: written beside it
// under a name of its own, flushed, then renamed over it. A file with more than one hard link, one
// whose owner and group this user may not give the new file, or one in a folder that takes no
// new file or no rename over it, is overwritten in place instead. Its owner, group and
// permissions stay, and no other file is touched; a failed save leaves the old file as it was,
// nothing beside it, and sends one line to standard error.
bool WriteSettingsFile(const Tamrik::IniMap& settings, const char* path);
