// Writing the settings map back to its file so that the INI reader gets the same map again.
#pragma once
#include <string>

#include "core/ini_file.h"

// Sections and keys in map order, every value quoted, CR LF line ends. A name that the reader
// keeps whole only in quotes (a space, punctuation) is quoted too; plain names stay bare.
std::string FormatSettings(const Tamrik::IniMap& settings);

// Replaces the file at path whole, or the file that its symbolic links name: written beside it
// in a file that gets a name only when it is complete, flushed, then renamed over it. A file with
// more than one hard link, one whose owner, group, permissions or extended attributes (its ACL)
// this user may not give the new file, or one in a folder that takes no new file or no rename
// over it, is overwritten in place instead, under an exclusive lock, and only when its old text
// can be read to be put back; another program's lock on it is waited for a few seconds at most,
// and a file replaced meanwhile is saved again from the start. Its owner, group, permissions and
// attributes stay, and no other file is touched; a new name is flushed with its folder. A failed
// save leaves the old file as it was, nothing beside it, and sends one line to standard error.
// *oldSettingsLost, when given, is set when a failed save in place could not put the old text
// back either.
bool WriteSettingsFile(const Tamrik::IniMap& settings, const char* path,
                       bool* oldSettingsLost = nullptr);
