// The settings writer: a new file renamed over the old one where the folder, the file's owner and
// its attributes allow it, else the old file overwritten in place under a lock; links keep naming
// the saved settings.
#include "manager/settings_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// A name that the reader would cut short outside quotes goes in quotes; plain names stay bare.
std::string Name(const std::string& name)
{
    for (unsigned char c : name)
        if (!Tamrik::IsKeptOutsideQuotes(c))
            return "\"" + name + "\"";
    return name;
}

} // namespace

std::string FormatSettings(const Tamrik::IniMap& settings)
{
    std::string text;
    for (const auto& [section, keys] : settings) {
        text += "[" + Name(section) + "]\r\n";
        for (const auto& [key, value] : keys)
            text += Name(key) + " = \"" + value + "\"\r\n";
    }
    return text;
}

namespace {

// As many hops as the kernel follows before it gives up with ELOOP.
constexpr int MAX_LINK_HOPS = 40;
// Names tried for a new file before giving up on a folder full of look-alikes.
constexpr int NAME_TRIES = 100;
// How long a save in place waits for another program's lock, in steps of LOCK_STEP_MS.
constexpr int LOCK_WAIT_MS = 3000;
constexpr int LOCK_STEP_MS = 20;
// Saves begun again because the file was replaced while the save waited for it.
constexpr int MAX_STARTS = 3;

// What one attempt at a save came to.
enum Attempt { DONE, FAILED, START_AGAIN };

Attempt Fail(const char* path, const char* what, int error)
{
    std::fprintf(stderr, "Kestrova_Manager: could not save %s (%s: %s)\n", path, what,
                 std::strerror(error));
    return FAILED;
}

Attempt FailUnrestored(const char* path, int error, int restoreError, bool* oldSettingsLost)
{
    std::fprintf(stderr,
                 "Kestrova_Manager: could not save %s (cannot write the file: %s), and the old "
                 "settings could not be put back (%s)\n",
                 path, std::strerror(error), std::strerror(restoreError));
    if (oldSettingsLost)
        *oldSettingsLost = true;
    return FAILED;
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

std::string Folder(const std::string& target)
{
    size_t slash = target.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
}

// Writes the bytes from the start of the file; 0 or the error of the write that failed.
int WriteFromStart(int fd, const char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

int ReadFromStart(int fd, std::string& bytes)
{
    char chunk[4096];
    for (;;) {
        ssize_t n = pread(fd, chunk, sizeof chunk, static_cast<off_t>(bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        bytes.append(chunk, static_cast<size_t>(n));
    }
}

// Allocates the blocks for size bytes without changing the file's length, so that a full disk
// fails here, before a byte is written. posix_fallocate is not used: where the file system has
// no fallocate it writes zeros into the file instead. Nothing is reserved on such file systems.
int Reserve(int fd, size_t size)
{
    if (size == 0)
        return 0;
    while (fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0) {
        if (errno == EOPNOTSUPP || errno == ENOSYS)
            return 0;
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// The bytes written from the start of the file, the file cut to length, and flushed; 0 or the
// first error.
int WriteCutFlush(int fd, const std::string& bytes, size_t length)
{
    int error = WriteFromStart(fd, bytes.data(), bytes.size());
    if (!error && ftruncate(fd, static_cast<off_t>(length)) != 0)
        error = errno;
    if (!error && fsync(fd) != 0)
        error = errno;
    return error;
}

// The exclusive lock, tried without blocking for LOCK_WAIT_MS at most: any reader of the file
// may hold a shared lock for as long as it likes. 0, or EWOULDBLOCK when the time ran out.
int Lock(int fd)
{
    for (int waited = 0;; waited += LOCK_STEP_MS) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return 0;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno;
        if (waited >= LOCK_WAIT_MS)
            return EWOULDBLOCK;
        usleep(LOCK_STEP_MS * 1000);
    }
}

// Whether the path still names the file open at fd: an editor's rename, or another save, may
// have put a new file in its place.
bool StillNamed(int fd, const std::string& target)
{
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && stat(target.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Overwrites the file, only when its old text is in hand to put back if the save fails. The lock
// keeps two saves from interleaving; the one write is padded with blanks, which the reader skips,
// to the old length, so that a save cut off before the file is cut to length reads as the new
// settings.
Attempt WriteInPlace(const char* path, const std::string& target, const std::string& text,
                     bool* oldSettingsLost)
{
    int fd = open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return Fail(path, errno == EACCES ? "cannot read the file to keep its old text"
                                          : "cannot open the file",
                    errno);
    int error = Lock(fd);
    if (error) {
        close(fd);
        return Fail(path, error == EWOULDBLOCK ? "another program holds the file" : "cannot lock the file",
                    error);
    }
    if (!StillNamed(fd, target)) {
        close(fd);
        return START_AGAIN;
    }
    struct stat before;
    std::string old;
    error = fstat(fd, &before) != 0 ? errno : ReadFromStart(fd, old);
    if (error) {
        close(fd);
        return Fail(path, "cannot read the old file", error);
    }
    std::string padded = text;
    if (old.size() > text.size())
        padded.append(old.size() - text.size(), ' ');
    if ((error = Reserve(fd, padded.size())) != 0) {
        close(fd);
        return Fail(path, "no room for the new file", error);
    }
    error = WriteCutFlush(fd, padded, text.size());
    if (error) {
        int restoreError = WriteCutFlush(fd, old, old.size());
        close(fd);
        return restoreError ? FailUnrestored(path, error, restoreError, oldSettingsLost)
                            : Fail(path, "cannot write the file", error);
    }
    // The write cleared the set-ID bits; the owner may set them again, another user may not.
    struct stat after;
    if (fstat(fd, &after) == 0 && after.st_mode != before.st_mode &&
        (fchmod(fd, before.st_mode & 07777) != 0 || fstat(fd, &after) != 0 ||
         after.st_mode != before.st_mode))
        std::fprintf(stderr, "Kestrova_Manager: saved %s, but the system cleared its set-ID bits\n",
                     path);
    // Written and flushed: what close says no longer changes that.
    close(fd);
    return DONE;
}

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A file in folder without a name, which a save cut off leaves nowhere; -1 where the file system
// makes none, or where /proc is missing and so cannot give it a name later.
int OpenUnnamed(const std::string& folder, mode_t mode)
{
    int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    struct stat status;
    if (fd >= 0 && stat(ProcPath(fd).c_str(), &status) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

// Gives an unnamed file a name that no file in its folder has: target and six letters or
// digits, as mkostemp makes them. 0, or the error of the link.
int LinkUnderNewName(int fd, const std::string& target, std::string* name)
{
    static const char DIGITS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t seed = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
                    (static_cast<uint64_t>(getpid()) << 40);
    for (int attempt = 0; attempt < NAME_TRIES; ++attempt) {
        // Set only once linked: a name tried in vain may be a user's file.
        std::string tried = target + ".";
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        for (uint64_t bits = seed >> 16, i = 0; i < 6; ++i, bits /= 62)
            tried += DIGITS[bits % 62];
        if (linkat(AT_FDCWD, ProcPath(fd).c_str(), AT_FDCWD, tried.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            *name = tried;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// A variable-length answer of the attribute calls: its size, then the bytes, once more when it
// grew in between. False with errno set by the call that failed.
template <typename Call>
bool Fetch(Call call, std::string* bytes)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        ssize_t size = call(nullptr, 0);
        if (size < 0)
            return false;
        bytes->resize(static_cast<size_t>(size));
        size = call(bytes->data(), bytes->size());
        if (size >= 0) {
            bytes->resize(static_cast<size_t>(size));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    return false;
}

// The names of a list of attributes, each ended by a NUL; visit returns false to stop.
template <typename Visit>
bool EachName(const std::string& names, Visit visit)
{
    for (size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1)
        if (!visit(names.c_str() + at))
            return false;
    return true;
}

bool Listed(const std::string& names, const char* name)
{
    return !EachName(names, [&](const char* listed) { return std::strcmp(listed, name) != 0; });
}

// The new file gets the old one's extended attributes, its ACL ("system.posix_acl_access") among
// them, and loses those it got from its folder's default ACL that the old one did not have.
bool CopyExtendedAttributes(const char* from, int to)
{
    std::string names, present;
    if (!Fetch([&](char* b, size_t n) { return llistxattr(from, b, n); }, &names) ||
        !Fetch([&](char* b, size_t n) { return flistxattr(to, b, n); }, &present))
        return errno == ENOTSUP;
    const bool cleared = EachName(present, [&](const char* name) {
        return Listed(names, name) || fremovexattr(to, name) == 0;
    });
    return cleared && EachName(names, [&](const char* name) {
        std::string value, current;
        if (!Fetch([&](char* b, size_t n) { return lgetxattr(from, name, b, n); }, &value))
            return false;
        // A security label the new file was born with may not be settable, only equal.
        if (Fetch([&](char* b, size_t n) { return fgetxattr(to, name, b, n); }, &current) &&
            current == value)
            return true;
        return fsetxattr(to, name, value.data(), value.size(), 0) == 0;
    });
}

// The new file takes the old one's owner and group, its extended attributes, and its
// permissions, in that order and after its text: a write or a change of owner clears the set-ID
// bits and an ACL sets the group bits. False when any of them cannot be given; a set-group-ID bit
// that this user may not set is dropped silently by fchmod, so the result is checked.
bool TakeAttributes(int fd, const std::string& target, const struct stat& old)
{
    struct stat now;
    if (fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    if (!CopyExtendedAttributes(target.c_str(), fd))
        return false;
    return fchmod(fd, old.st_mode & 07777) == 0 && fstat(fd, &now) == 0 &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Space for the text, the text, and a flush; 0 or the first error.
int WriteNewText(int fd, const std::string& text)
{
    int error = Reserve(fd, text.size());
    return error ? error : WriteCutFlush(fd, text, text.size());
}

// The folder's entries flushed, so that a name given or replaced outlasts a power cut.
Attempt FlushFolder(const char* path, const std::string& target)
{
    int fd = open(Folder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = fd < 0 ? errno : fsync(fd) != 0 ? errno : 0;
    if (fd >= 0)
        close(fd);
    // A file system that cannot flush a folder keeps no order to flush.
    return error && error != EINVAL ? Fail(path, "cannot flush the folder", error) : DONE;
}

// A file not there yet gets its name when it is complete, so that it appears whole or not at
// all; where no unnamed file can be made it is made under its own name with O_EXCL, and a
// failure takes away only what this save made.
Attempt CreateSettingsFile(const char* path, const std::string& target, const std::string& text)
{
    int fd = OpenUnnamed(Folder(target), 0666);
    const bool unnamed = fd >= 0;
    if (!unnamed)
        fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return Fail(path, "cannot create the file", errno);
    bool named = !unnamed;
    int error = WriteNewText(fd, text);
    if (!error && unnamed) {
        if (linkat(AT_FDCWD, ProcPath(fd).c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
            named = true;
        else
            error = errno;
    }
    close(fd);
    if (error) {
        if (named)
            unlink(target.c_str());
        return Fail(path, "cannot write the file", error);
    }
    return FlushFolder(path, target);
}

// A new file beside the target, unnamed where the file system allows it, else under a name that
// mkostemp makes up (*temporary), so that it is no user's file; -1 when the folder takes none.
int CreateNew(const std::string& target, std::string* temporary)
{
    int fd = OpenUnnamed(Folder(target), 0600);
    if (fd >= 0)
        return fd;
    std::string name = target + ".XXXXXX";
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        *temporary = name;
    return fd;
}

// The new text in a new file that takes the old one's place with a rename. Where the folder takes
// no new file, the new file cannot take the old one's owner, group, attributes or permissions, or
// the folder refuses the rename, the old file is written in place instead.
Attempt ReplaceSettingsFile(const char* path, const std::string& target, const struct stat& old,
                            const std::string& text, bool* oldSettingsLost)
{
    std::string temporary;
    int fd = CreateNew(target, &temporary);
    if (fd < 0)
        return WriteInPlace(path, target, text, oldSettingsLost);
    auto discard = [&] {
        close(fd);
        if (!temporary.empty())
            unlink(temporary.c_str());
    };
    int error = WriteNewText(fd, text);
    if (error) {
        discard();
        return Fail(path, "cannot write the new file", error);
    }
    if (!TakeAttributes(fd, target, old)) {
        discard();
        return WriteInPlace(path, target, text, oldSettingsLost);
    }
    if (fsync(fd) != 0)
        error = errno;
    // Named only now that it is complete: a save cut off before leaves nothing behind.
    if (!error && temporary.empty())
        error = LinkUnderNewName(fd, target, &temporary);
    if (error) {
        discard();
        return Fail(path, "cannot write the new file", error);
    }
    close(fd);
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        unlink(temporary.c_str());
        // A sticky folder or a file mounted on its own: the file may still be written.
        if (error == EPERM || error == EACCES || error == EBUSY)
            return WriteInPlace(path, target, text, oldSettingsLost);
        return Fail(path, "cannot rename the new file over the old one", error);
    }
    return FlushFolder(path, target);
}

Attempt Save(const std::string& text, const char* path, bool* oldSettingsLost)
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

    if (!exists)
        return CreateSettingsFile(path, target, text);
    // A rename would split a hard link in two.
    if (old.st_nlink > 1)
        return WriteInPlace(path, target, text, oldSettingsLost);
    return ReplaceSettingsFile(path, target, old, text, oldSettingsLost);
}

} // namespace

bool WriteSettingsFile(const Tamrik::IniMap& settings, const char* path, bool* oldSettingsLost)
{
    if (oldSettingsLost)
        *oldSettingsLost = false;
    const std::string text = FormatSettings(settings);
    for (int start = 0; start < MAX_STARTS; ++start)
        if (Attempt attempt = Save(text, path, oldSettingsLost); attempt != START_AGAIN)
            return attempt == DONE;
    Fail(path, "the file was replaced again and again while the save waited for it", EAGAIN);
    return false;
}
