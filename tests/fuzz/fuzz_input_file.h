// Writes a fuzz input to a file, for the readers that take a path rather than bytes.
#pragma once
#include <cstdint>
#include <cstdio>
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
