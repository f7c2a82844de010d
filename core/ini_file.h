// The settings format: IniMap and its one reader, shared by the viewer and the settings tool.
#pragma once
#include <map>
#include <string>

namespace Tamrik {

// Section -> key -> value; byte-wise ordered, case-sensitive. Lookups with operator[] insert
// missing entries as empty strings, which is how every reader of settings treats them.
using IniSection = std::map<std::string, std::string>;
using IniMap = std::map<std::string, IniSection>;

// Empties map, then fills it from the file at path; a missing file leaves it empty. Answers 0, or
// the errno value that kept the file from being read to its end.
int ParseIniFile(IniMap& map, const char* path);

// A new map read from "Settings.ini" in the working directory; the caller owns it. *error, when
// given, receives 0, or the errno value that kept the file from being read to its end.
IniMap* LoadSettings(int* error = nullptr);

// Appends the bytes of the file at path; 0 when it was read to its end, else the errno value
// that stopped it (the settings tool reads a file it is about to overwrite with it, too).
int ReadWholeFile(const char* path, std::string& bytes);

// Says on standard error that the file at path could not be read, and why, naming the working
// directory: a program that runs without its settings would otherwise not say why.
void ReportUnreadable(const char* path, int error);

// Whether the reader keeps byte c outside double quotes: letters, digits, "=", "[" and "]".
bool IsKeptOutsideQuotes(unsigned char c);

// Same rules as ParseIniFile, on bytes already in memory (the reader's core; used by the fuzzer).
void ParseIniBytes(IniMap& map, const char* data, size_t size);

} // namespace Tamrik
