// The settings writer: a new file renamed over the old one where the folder and the file's owner
// allow it, else the old file overwritten in place; links keep naming the saved settings.
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

// Writes the text into a new file, flushes and closes it; 0 or the first error.
int WriteAndClose(int fd, const std::string& text)
{
    int error = WriteFromStart(fd, text);
    if (!error && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && !error)
        error = errno;
    return error;
}

// A file not there yet is made under its own name. O_EXCL opens no file that appeared in the
// meantime, and a failure takes away only what this save made.
bool CreateSettingsFile(const char* path, const std::string& target, const std::string& text)
{
    int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return Fail(path, "cannot create the file", errno);
    int error = WriteAndClose(fd, text);
    if (error) {
        unlink(target.c_str());
        return Fail(path, "cannot write the file", error);
    }
    return true;
}

// The new file takes the old one's owner, group and permissions, in that order: a change of
// owner clears the set-ID bits.
bool TakeOwnership(int fd, const struct stat& old)
{
    struct stat now;
    if (fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return fchmod(fd, old.st_mode & 07777) == 0;
}

// A new file beside the target under a name that mkostemp makes up, so that it is no user's
// file; -1 when the folder takes none.
int CreateTemporary(const std::string& target, std::string* temporary)
{
    std::string name = target + ".XXXXXX";
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        *temporary = name;
    return fd;
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
    if (!exists)
        return CreateSettingsFile(path, target, text);
    // A rename would split a hard link in two.
    if (old.st_nlink > 1)
        return WriteInPlace(path, target, text);
    std::string temporary;
    int fd = CreateTemporary(target, &temporary);
    if (fd < 0)
        return WriteInPlace(path, target, text);
    // A file this user may not give to its owner and group keeps them by being written in place.
    if (!TakeOwnership(fd, old)) {
        close(fd);
        unlink(temporary.c_str());
        return WriteInPlace(path, target, text);
    }
    int error = WriteAndClose(fd, text);
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
