// Writes a fuzz input to a file, for the readers that take a path rather than bytes, and a
// private working folder for the readers whose path is fixed relative to it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// Writes the bytes as the whole file at path; false when it cannot be written.
inline bool WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    if (size)
        std::fwrite(data, 1, size, out);
    std::fclose(out);
    return true;
}

// The file's path, or "" when it cannot be written. Named per process, so parallel fuzzing
// jobs do not share the file.
inline std::string WriteFuzzInput(const uint8_t* data, size_t size, const std::string& name)
{
    const std::string path = "/tmp/kestrova_" + name + "_" + std::to_string(getpid());
    return WriteFuzzFile(path, data, size) ? path : "";
}

// Changes into a fresh folder under /tmp holding the given subfolder, removed at exit; false when
// that fails. Call once per process (a function-local static does it).
inline bool EnterFuzzScratchFolder(const char* subfolder)
{
    static char folder[] = "/tmp/kestrova-fuzz-XXXXXX";
    if (!mkdtemp(folder))
        return false;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    });
    if (chdir(folder) != 0)
        return false;
    std::error_code ec;
    std::filesystem::create_directories(subfolder, ec);
    return !ec;
}
