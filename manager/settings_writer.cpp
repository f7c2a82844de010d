// The settings writer: the file is replaced by rename, never truncated in place.
#include "manager/settings_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string FormatSettings(const Tamrik::IniMap& settings)
{
    std::string text;
    for (const auto& [section, keys] : settings) {
        text += "[" + section + "]\r\n";
        for (const auto& [key, value] : keys)
            text += key + " = \"" + value + "\"\r\n";
    }
    return text;
}

namespace {

bool Fail(const char* path, const char* what, int error)
{
    std::fprintf(stderr, "Kestrova_Manager: could not save %s (%s: %s)\n", path, what,
                 std::strerror(error));
    return false;
}

} // namespace

bool WriteSettingsFile(const Tamrik::IniMap& settings, const char* path)
{
    // A file that may not be written stays as it is, although the folder would allow a rename.
    if (access(path, F_OK) == 0 && access(path, W_OK) != 0)
        return Fail(path, "file is read-only", errno);

    std::string temporary = std::string(path) + ".new";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return Fail(path, "cannot create the new file", errno);
    struct stat old;
    if (stat(path, &old) == 0)
        fchmod(fileno(file), old.st_mode & 07777);

    std::string text = FormatSettings(settings);
    int error = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size())
        error = errno ? errno : EIO;
    if (std::fflush(file) != 0 && !error)
        error = errno;
    if (fsync(fileno(file)) != 0 && !error)
        error = errno;
    if (std::fclose(file) != 0 && !error)
        error = errno;
    if (error) {
        std::remove(temporary.c_str());
        return Fail(path, "cannot write the new file", error);
    }
    if (std::rename(temporary.c_str(), path) != 0) {
        error = errno;
        std::remove(temporary.c_str());
        return Fail(path, "cannot replace the old file", error);
    }
    return true;
}
