// The settings writer: a new file renamed over the old one where the folder allows it, else the
// old file overwritten in place; symbolic and hard links keep naming the saved settings.
#include "manager/settings_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
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

// As many hops as the kernel follows before it gives up with ELOOP.
constexpr int MAX_LINK_HOPS = 40;

bool Fail(const char* path, const char* what, int error)
{
    std::fprintf(stderr, "Kestrova_Manager: could not save %s (%s: %s)\n", path, what,
                 std::strerror(error));
    return false;
}

// Where a chain of symbolic links starting at path ends; path itself when it is no link. The
// end need not exist yet: saving through a dangling link creates the file it names.
std::string LinkTarget(const char* path)
{
    std::string target = path;
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
        char buffer[PATH_MAX];
        ssize_t length = readlink(target.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<size_t>(length) == sizeof buffer)
            break;
        std::string next(buffer, static_cast<size_t>(length));
        size_t slash = target.rfind('/');
        if (next[0] != '/' && slash != std::string::npos)
            next = target.substr(0, slash + 1) + next;
        target = next;
    }
    return target;
}

// Writes text from the start of the file; 0 or the error of the write that failed.
int WriteFromStart(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

// Overwrites the file and cuts it to length only once the new text is in: a write that fails
// (a full disk) puts the old bytes back into the blocks they already held.
bool WriteInPlace(const char* path, const std::string& target, const std::string& text)
{
    std::string old;
    const bool restorable = Tamrik::ReadWholeFile(target.c_str(), old) == 0;
    int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return Fail(path, "cannot open the file", errno);
    int error = WriteFromStart(fd, text);
    if (!error && ftruncate(fd, static_cast<off_t>(text.size())) != 0)
        error = errno;
    if (!error && fsync(fd) != 0)
        error = errno;
    if (error && restorable && WriteFromStart(fd, old) == 0)
        (void)!ftruncate(fd, static_cast<off_t>(old.size()));
    if (close(fd) != 0 && !error)
        error = errno;
    return error ? Fail(path, "cannot write the file", error) : true;
}

} // namespace

bool WriteSettingsFile(const Tamrik::IniMap& settings, const char* path)
{
    std::string target = LinkTarget(path);
    struct stat old;
    bool exists = stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return Fail(path, "cannot reach the file", errno);
    // A file that may not be written stays as it is, although the folder would allow a rename.
    if (exists && access(target.c_str(), W_OK) != 0)
        return Fail(path, "file is read-only", errno);
    if (exists && !S_ISREG(old.st_mode))
        return Fail(path, "not a plain file", S_ISDIR(old.st_mode) ? EISDIR : EINVAL);

    std::string text = FormatSettings(settings);
    // A rename would split a hard link in two.
    if (exists && old.st_nlink > 1)
        return WriteInPlace(path, target, text);
    // A stale new file, even a link, is never written through.
    std::string temporary = target + ".new";
    unlink(temporary.c_str());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return WriteInPlace(path, target, text);
    if (exists)
        fchmod(fd, old.st_mode & 07777);
    int error = WriteFromStart(fd, text);
    if (!error && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && !error)
        error = errno;
    if (error) {
        unlink(temporary.c_str());
        return Fail(path, "cannot write the new file", error);
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        // A sticky folder or a file mounted on its own: the file may still be written.
        unlink(temporary.c_str());
        return WriteInPlace(path, target, text);
    }
    return true;
}
