// Saving Settings.ini: order, quoting and line ends, the read-back, the atomic replace, links,
// in-place saves, owners, groups, ACLs and attributes kept, neighbours left alone, and failures,
// kills and two saves at once that keep the old or the new file whole and leave nothing behind.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/ini_file.h"
#include "manager/settings_form.h"
#include "manager/settings_writer.h"
#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"

using kestrova_test::ChildProcess;
using kestrova_test::ReadFile;
using kestrova_test::ScratchDir;
using kestrova_test::WriteFile;
using Tamrik::IniMap;

namespace {

namespace fs = std::filesystem;

struct User {
    uid_t uid;
    gid_t gid;
};

// A user without root's rights, who owns none of the test's files.
constexpr User NOBODY = {65534, 65534};
// A file's owner and another member of its group, and a group the owner is not in.
constexpr gid_t GROUP = 4100;
constexpr User OWNER = {4101, GROUP};
constexpr User GROUP_MATE = {4102, GROUP};
constexpr gid_t OTHER_GROUP = 4103;

// A call of the writer made to fail with an error, to end the process, or to stall: the nth call
// of that function after Arm.
struct Fault {
    const char* call;
    int nth;
    int error;
};
constexpr int KILLED = -1, STALLED = -2;
Fault g_Faults[2];
int g_Seen[2];
// A stalled call writes a byte here first, so that a test knows when to start a second save.
int g_StallSignal = -1;

void Arm(Fault first, Fault second = {})
{
    g_Faults[0] = first;
    g_Faults[1] = second;
    g_Seen[0] = g_Seen[1] = 0;
}

bool Faulted(const char* call)
{
    for (int i = 0; i < 2; ++i) {
        const Fault& f = g_Faults[i];
        if (!f.call || std::strcmp(f.call, call) != 0 || ++g_Seen[i] != f.nth)
            continue;
        if (f.error == KILLED)
            raise(SIGKILL);
        if (f.error == STALLED) {
            (void)!write(g_StallSignal, "s", 1);
            usleep(500000);
            return false;
        }
        errno = f.error;
        return true;
    }
    return false;
}

template <typename Function>
Function Real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// A save in a child process ends within this, or the test fails instead of hanging.
constexpr int CHILD_BOUND_MS = 30000;

int WaitBounded(ChildProcess& child) { return child.Wait(CHILD_BOUND_MS); }

// Whether a byte came through the pipe within the bound.
bool Signalled(int fd)
{
    pollfd ready{fd, POLLIN, 0};
    char byte;
    return poll(&ready, 1, CHILD_BOUND_MS) == 1 && read(fd, &byte, 1) == 1;
}

} // namespace

// The writer's calls pass through these, and go on to the C library unless a fault is armed.
extern "C" {
ssize_t pwrite(int fd, const void* data, size_t size, off_t at)
{
    return Faulted("pwrite") ? -1 : Real<decltype(&pwrite)>("pwrite")(fd, data, size, at);
}
int ftruncate(int fd, off_t length) noexcept
{
    return Faulted("ftruncate") ? -1 : Real<decltype(&ftruncate)>("ftruncate")(fd, length);
}
// A folder's flush is a call of its own, "fsync folder".
int fsync(int fd)
{
    struct stat status;
    const bool folder = fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
    return Faulted(folder ? "fsync folder" : "fsync") ? -1 : Real<decltype(&fsync)>("fsync")(fd);
}
int close(int fd)
{
    // Closed all the same, as the kernel does when close reports an error.
    const int result = Real<decltype(&close)>("close")(fd);
    return Faulted("close") ? -1 : result;
}
int flock(int fd, int operation) noexcept
{
    return Faulted("flock") ? -1 : Real<decltype(&flock)>("flock")(fd, operation);
}
int rename(const char* from, const char* to) noexcept
{
    return Faulted("rename") ? -1 : Real<decltype(&rename)>("rename")(from, to);
}
int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) noexcept
{
    return Faulted("fsetxattr") ? -1
                                : Real<decltype(&fsetxattr)>("fsetxattr")(fd, name, value, size, flags);
}
}

namespace {

IniMap Read(const char* path)
{
    IniMap map;
    Tamrik::ParseIniFile(map, path);
    return map;
}

TEST(SettingsWriter, WritesSectionsAndKeysInByteOrderEveryValueQuotedWithCrLf)
{
    IniMap settings;
    settings["Game"] = {{"Map", "maps/demo.bsp"}, {"Log", "true"}, {"DebugDump", "false"}};
    settings["Display"] = {{"Width", "1024"}, {"Renderer", "OpenGL"}};
    settings["audio"] = {};
    settings["Zed"]["key"] = "";
    EXPECT_EQ(FormatSettings(settings),
              "[Display]\r\nRenderer = \"OpenGL\"\r\nWidth = \"1024\"\r\n"
              "[Game]\r\nDebugDump = \"false\"\r\nLog = \"true\"\r\nMap = \"maps/demo.bsp\"\r\n"
              "[Zed]\r\nkey = \"\"\r\n"
              "[audio]\r\n");
}

TEST(SettingsWriter, AHandWrittenFileSavedReadsBackAsTheSameMap)
{
    ScratchDir dir;
    WriteFile("Settings.ini", "; written by hand\n[Display]\nWidth = 800 ; narrow\n"
                              "Renderer = Direct3D\n[Game]\nMap = \"maps/my level.bsp\"\n"
                              "DebugDump = \"true\"\n[Mods]\nPath = \"a=b, c:/d\\\\e\"\n");
    IniMap settings = Read("Settings.ini");
    DisplayMode mode{1024, 768, 32, 60};
    StoreControlStates(settings, &mode, false, true, true);
    ASSERT_TRUE(WriteSettingsFile(settings, "Settings.ini"));

    std::string text = ReadFile("Settings.ini");
    EXPECT_EQ(text.find(';'), std::string::npos);
    EXPECT_NE(text.find("[Game]\r\nDebugDump = \"true\"\r\nLog = \"true\"\r\n"
                        "Map = \"maps/my level.bsp\"\r\n"),
              std::string::npos);
    EXPECT_EQ(Read("Settings.ini"), settings);
    EXPECT_EQ(settings["Mods"]["Path"], "a=b, c:/d\\\\e");
}

TEST(SettingsWriter, AFileWithoutGameGetsItWithLogAlone)
{
    ScratchDir dir;
    WriteFile("Settings.ini", "[Display]\r\nWidth = \"640\"\r\n");
    IniMap settings = Read("Settings.ini");
    StoreControlStates(settings, nullptr, false, false, false);
    ASSERT_TRUE(WriteSettingsFile(settings, "Settings.ini"));
    EXPECT_EQ(ReadFile("Settings.ini"),
              "[Display]\r\nFullscreen = \"false\"\r\nRenderer = \"Direct3D\"\r\n"
              "Width = \"640\"\r\n[Game]\r\nLog = \"false\"\r\n");
}

// Root may write any file, so a read-only file or folder holds only for another user: the save
// then runs in a child process as that user. Without root the test's own user saves.
bool Save(const IniMap& settings, const char* path, const User* as)
{
    if (!as || geteuid() != 0)
        return WriteSettingsFile(settings, path);
    ChildProcess child;
    return child.Run([&] {
        bool saved = setgroups(0, nullptr) == 0 && setresgid(as->gid, as->gid, as->gid) == 0 &&
                     setresuid(as->uid, as->uid, as->uid) == 0 && WriteSettingsFile(settings, path);
        return saved ? 0 : 1;
    }) && WaitBounded(child) == 0;
}

void Chown(const char* path, uid_t uid, gid_t gid) { ASSERT_EQ(lchown(path, uid, gid), 0) << path; }

// Files a user may keep beside the settings, under names a save might take for its own.
void PlaceNeighbours(const fs::path& folder)
{
    WriteFile(folder / "Settings.ini.new", "notes");
    WriteFile(folder / "Settings.ini~", "yesterday's settings");
    WriteFile(folder / "Settings.ini.tmp/inside", "a folder's file");
    fs::create_symlink("Settings.ini.new", folder / "Settings.ini.bak");
}

// What a folder holds besides the saved file: names with their contents, folders and links
// marked. A temporary file left behind shows up as a name more.
std::map<std::string, std::string> Neighbours(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename();
        if (name == "Settings.ini")
            continue;
        entries[name] = entry.is_symlink()     ? "-> " + fs::read_symlink(entry.path()).string()
                        : entry.is_directory() ? "folder"
                                               : ReadFile(entry.path());
    }
    return entries;
}

// Cases that need files of other owners run as root only: without it, every file the test
// makes is the runner's own.
bool SkippedWithoutRoot(bool othersFile, const char* name)
{
    if (!othersFile || geteuid() == 0)
        return false;
    std::printf("skipped without root: %s\n", name);
    return true;
}

struct stat Status(const char* path)
{
    struct stat status {};
    stat(path, &status);
    return status;
}

void ExpectSameOwnerGroupAndMode(const struct stat& after, const struct stat& before)
{
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
}

// A folder on a small file system of its own, so that it can be filled to the last block.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& where) : folder(where)
    {
        fs::create_directory(folder);
        mounted = mount("kestrova-test", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            umount2(folder.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted; }
    void Fill() const
    {
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
        }
    }

private:
    fs::path folder;
    bool mounted = false;
};

TEST(SettingsWriter, LinksKeepNamingTheSavedFileAndItsPermissions)
{
    const struct {
        const char* name;
        void (*make)();
    } cases[] = {
        {"symbolic link to another folder",
         [] { fs::create_symlink("elsewhere/Settings.ini", "Settings.ini"); }},
        {"chain of symbolic links",
         [] {
             fs::create_symlink(fs::current_path() / "middle.ini", "Settings.ini");
             fs::create_symlink("elsewhere/Settings.ini", "middle.ini");
         }},
        {"hard link", [] { fs::create_hard_link("elsewhere/Settings.ini", "Settings.ini"); }},
    };
    const IniMap settings{{"Game", {{"Log", "true"}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        WriteFile("elsewhere/Settings.ini", "[Game]\r\nLog = \"false\"\r\n");
        fs::permissions("elsewhere/Settings.ini", fs::perms(0640));
        PlaceNeighbours("elsewhere");
        c.make();
        const auto here = Neighbours("."), there = Neighbours("elsewhere");
        bool symbolic = fs::is_symlink("Settings.ini");
        ASSERT_TRUE(WriteSettingsFile(settings, "Settings.ini"));
        EXPECT_EQ(fs::is_symlink("Settings.ini"), symbolic);
        EXPECT_TRUE(fs::equivalent("Settings.ini", "elsewhere/Settings.ini"));
        EXPECT_EQ(ReadFile("elsewhere/Settings.ini"), FormatSettings(settings));
        EXPECT_EQ(fs::status("elsewhere/Settings.ini").permissions(), fs::perms(0640));
        EXPECT_EQ(Neighbours("."), here);
        EXPECT_EQ(Neighbours("elsewhere"), there);
    }
}

TEST(SettingsWriter, WhereNoNewFileCanTakeTheOldOnesPlaceTheFileIsOverwrittenInPlace)
{
    const struct {
        const char* name;
        const User* as;
        bool othersFile;
        void (*block)();
    } cases[] = {
        {"folder this user may not write", &NOBODY, false,
         [] { fs::permissions("shared", fs::perms(0555)); }},
        {"sticky folder, another user's file", &NOBODY, true,
         [] { fs::permissions("shared", fs::perms(01777)); }},
        // The new file could not be given to the owner: the save keeps owner and group.
        {"another user of the file's group", &GROUP_MATE, true,
         [] {
             Chown("shared", OWNER.uid, GROUP);
             fs::permissions("shared", fs::perms(0775));
             Chown("shared/Settings.ini", OWNER.uid, GROUP);
             fs::permissions("shared/Settings.ini", fs::perms(0664));
         }},
        {"the owner, of another group than the file's", &OWNER, true,
         [] {
             Chown("shared", OWNER.uid, GROUP);
             Chown("shared/Settings.ini", OWNER.uid, OTHER_GROUP);
             fs::permissions("shared/Settings.ini", fs::perms(0620));
         }},
    };
    const IniMap settings{{"Game", {{"Log", "true"}}}};
    for (const auto& c : cases) {
        if (SkippedWithoutRoot(c.othersFile, c.name))
            continue;
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        // Longer than what replaces it: the rest must go.
        WriteFile("shared/Settings.ini", "[Game]\r\nLog = \"false\"\r\nMap = \"" +
                                             std::string(300, 'm') + "\"\r\n");
        fs::permissions("shared/Settings.ini", fs::perms(0666));
        PlaceNeighbours("shared");
        c.block();
        const struct stat before = Status("shared/Settings.ini");
        const auto neighbours = Neighbours("shared");
        testing::internal::CaptureStderr();
        EXPECT_TRUE(Save(settings, "shared/Settings.ini", c.as));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(ReadFile("shared/Settings.ini"), FormatSettings(settings));
        const struct stat after = Status("shared/Settings.ini");
        EXPECT_EQ(after.st_ino, before.st_ino);
        ExpectSameOwnerGroupAndMode(after, before);
        EXPECT_EQ(Neighbours("shared"), neighbours);
        fs::permissions("shared", fs::perms(0755));
    }
}

TEST(SettingsWriter, ASaveThatCannotBeWrittenKeepsTheOldFileLeavesNothingBehindAndSaysSo)
{
    const std::string old = "[Display]\r\nWidth = \"800\"\r\n";
    // Longer than the one block the old file holds: overwriting it in place needs another.
    const IniMap settings{{"Display", {{"Width", "1024"}, {"Note", std::string(6000, 'n')}}}};
    const struct {
        const char* name;
        const User* as;
        bool othersFile, fullDisk;
        Fault fault;
        void (*make)(const std::string& old);
    } cases[] = {
        {"read-only file", &NOBODY, false, false, {},
         [](const std::string& old) {
             WriteFile("disk/Settings.ini", old);
             fs::permissions("disk/Settings.ini", fs::perms(0444));
             fs::permissions("disk", fs::perms(0777));
         }},
        {"folder in its place", nullptr, false, false, {},
         [](const std::string&) { WriteFile("disk/Settings.ini/keep", "x"); }},
        {"full disk", nullptr, false, true, {},
         [](const std::string& old) { WriteFile("disk/Settings.ini", old); }},
        {"full disk, hard link written in place", nullptr, false, true, {},
         [](const std::string& old) {
             WriteFile("disk/Settings.ini", old);
             fs::create_hard_link("disk/Settings.ini", "disk/Linked.ini");
         }},
        // No byte may change before the space is there: written in two parts, the second failing
        // for want of space, the write that would put the old text back fails as well.
        {"full disk, hard link, a restore would fail", nullptr, false, true, {"pwrite", 3, EIO},
         [](const std::string& old) {
             WriteFile("disk/Settings.ini", old);
             fs::create_hard_link("disk/Settings.ini", "disk/Linked.ini");
         }},
        {"full disk, no file yet", nullptr, false, true, {}, [](const std::string&) {}},
        // Written in place, the file could not be put back: it is not written at all.
        {"full disk, a group's file that the saver may write but not read", &GROUP_MATE, true, true, {},
         [](const std::string& old) {
             WriteFile("disk/Settings.ini", old);
             Chown("disk/Settings.ini", OWNER.uid, GROUP);
             fs::permissions("disk/Settings.ini", fs::perms(0620));
         }},
        {"full disk, write-only file with a hard link", &NOBODY, true, true, {},
         [](const std::string& old) {
             WriteFile("disk/Settings.ini", old);
             Chown("disk/Settings.ini", NOBODY.uid, NOBODY.gid);
             fs::permissions("disk/Settings.ini", fs::perms(0200));
             fs::create_hard_link("disk/Settings.ini", "disk/Linked.ini");
         }},
    };
    for (const auto& c : cases) {
        if (SkippedWithoutRoot(c.othersFile, c.name))
            continue;
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        SmallDisk disk(dir.Path() / "disk");
        if (c.fullDisk && !disk.Mounted()) {
            std::printf("skipped, no small file system can be mounted here: %s\n", c.name);
            continue;
        }
        PlaceNeighbours("disk");
        c.make(old);
        if (c.fullDisk)
            disk.Fill();
        const bool existed = fs::exists("disk/Settings.ini");
        const auto neighbours = Neighbours("disk");
        testing::internal::CaptureStderr();
        Arm(c.fault);
        EXPECT_FALSE(Save(settings, "disk/Settings.ini", c.as));
        Arm({});
        std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("disk/Settings.ini"), std::string::npos);
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
        bool folder = fs::is_directory("disk/Settings.ini");
        EXPECT_EQ(fs::exists("disk/Settings.ini"), existed);
        if (existed) {
            EXPECT_EQ(ReadFile(folder ? "disk/Settings.ini/keep" : "disk/Settings.ini"), folder ? "x" : old);
        }
        EXPECT_EQ(Neighbours("disk"), neighbours);
    }
}

TEST(SettingsWriter, ASaveKeepsTheFilesOwnerGroupAndPermissions)
{
    const struct {
        const char* name;
        const User* as;
        bool othersFile;
        mode_t mode, cleared;
        void (*make)();
    } cases[] = {
        {"the user's own file", nullptr, false, 0640, 0, [] {}},
        {"root saving a user's file with set-ID bits", nullptr, true, 06775, 0, [] {}},
        // Root saving a user's file gives it back to the user, who can save it again.
        {"root saving a user's file", nullptr, true, 0644, 0, [] {}},
        // Without root's rights a write clears the set-ID bits: they are set after the text.
        {"its owner saving a set-user-ID file", &OWNER, true, 04755, 0, [] {}},
        {"its owner saving a file with both set-ID bits", &OWNER, true, 06775, 0, [] {}},
        {"its owner saving a hard-linked set-user-ID file in place", &OWNER, true, 04755, 0,
         [] { fs::create_hard_link("shared/Settings.ini", "shared/Linked.ini"); }},
        // The new file, of the folder's group, silently loses the bit, so the old one is written;
        // where the kernel clears the bit there too, the save says so.
        {"its owner saving a set-group-ID file of a group the owner is not in", &OWNER, true, 02664,
         S_ISGID, [] {
             Chown("shared", OWNER.uid, OTHER_GROUP);
             fs::permissions("shared", fs::perms(02775));
             Chown("shared/Settings.ini", OWNER.uid, OTHER_GROUP);
         }},
    };
    for (const auto& c : cases) {
        if (SkippedWithoutRoot(c.othersFile, c.name))
            continue;
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        WriteFile("shared/Settings.ini", "[Game]\r\n");
        if (c.othersFile) {
            Chown("shared", OWNER.uid, GROUP);
            Chown("shared/Settings.ini", OWNER.uid, GROUP);
        }
        c.make();
        ASSERT_EQ(chmod("shared/Settings.ini", c.mode), 0);
        struct stat before = Status("shared/Settings.ini");
        testing::internal::CaptureStderr();
        ASSERT_TRUE(Save(IniMap{{"Game", {{"Log", "true"}}}}, "shared/Settings.ini", c.as));
        const std::string message = testing::internal::GetCapturedStderr();
        const struct stat after = Status("shared/Settings.ini");
        const bool cleared = (after.st_mode & c.cleared) != c.cleared;
        EXPECT_EQ(message, cleared ? "Kestrova_Manager: saved shared/Settings.ini, but the system cleared its set-ID bits\n" : "");
        before.st_mode &= cleared ? ~c.cleared : ~0u;
        ExpectSameOwnerGroupAndMode(after, before);
        EXPECT_EQ(ReadFile("shared/Settings.ini"), "[Game]\r\nLog = \"true\"\r\n");
    }
}

// Another program's shared lock on a file saved in place, held all along, or given up once the
// file is replaced: the save fails within a few seconds, or saves the file that is there then.
TEST(SettingsWriter, ASaveWaitsForAnotherProgramsLockAFewSecondsAndSavesTheFileThatIsThereThen)
{
    const std::string old = "[Game]\r\nLog = \"false\"\r\n";
    const IniMap settings{{"Game", {{"Log", "true"}}}};
    for (bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "replaced, then released" : "held all along");
        ScratchDir dir;
        WriteFile("Settings.ini", old);
        fs::create_hard_link("Settings.ini", "Linked.ini");
        int holder = open("Settings.ini", O_RDONLY | O_CLOEXEC), signal[2];
        ASSERT_EQ(flock(holder, LOCK_SH), 0);
        ASSERT_EQ(pipe(signal), 0);
        ChildProcess saver;
        testing::internal::CaptureStderr();
        saver.Run([&] {
            // The lock stays the holder's alone; the save says when it first asks for it.
            close(holder);
            g_StallSignal = signal[1];
            Arm({"flock", 1, STALLED});
            return WriteSettingsFile(settings, "Settings.ini") ? 0 : 1;
        });
        EXPECT_TRUE(Signalled(signal[0]));
        if (replaced) {
            WriteFile("Replacement.ini", "[Game]\r\n");
            fs::rename("Replacement.ini", "Settings.ini");
            close(holder);
        }
        EXPECT_EQ(WaitBounded(saver), replaced ? 0 : 1);
        if (!replaced)
            close(holder);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_EQ(message.find("another program holds the file") != std::string::npos, !replaced);
        EXPECT_EQ(ReadFile("Settings.ini"), replaced ? FormatSettings(settings) : old);
        EXPECT_EQ(ReadFile("Linked.ini"), old);
        close(signal[0]);
        close(signal[1]);
    }
}

TEST(SettingsWriter, NamesThatTheReaderKeepsWholeOnlyInQuotesAreWrittenInThem)
{
    ScratchDir dir;
    WriteFile("Settings.ini", "[\"My Mods\"]\r\n\"Map Name\" = \"x\"\r\n[Game]\r\nLog = \"true\"\r\n");
    IniMap settings = Read("Settings.ini");
    settings["Display"] = {{"tab\tkey", "1"}, {"a.b-c", "2"}, {"\xc3\xbc", "3"}, {"Plain9", "4"}};
    ASSERT_TRUE(WriteSettingsFile(settings, "Settings.ini"));
    EXPECT_EQ(Read("Settings.ini"), settings);
    EXPECT_NE(ReadFile("Settings.ini").find("[Display]\r\nPlain9 = \"4\"\r\n"), std::string::npos);
}

TEST(SettingsWriter, ASaveThroughADanglingLinkCreatesItsTarget)
{
    ScratchDir dir;
    fs::create_directory("elsewhere");
    fs::create_symlink("elsewhere/Settings.ini", "Settings.ini");
    const IniMap settings{{"Game", {{"Log", "true"}}}};
    ASSERT_TRUE(WriteSettingsFile(settings, "Settings.ini"));
    EXPECT_TRUE(fs::is_symlink("Settings.ini"));
    EXPECT_EQ(ReadFile("elsewhere/Settings.ini"), FormatSettings(settings));
    EXPECT_EQ(Neighbours("elsewhere"), (std::map<std::string, std::string>{}));
}

std::string Attribute(const char* path, const char* name)
{
    char value[256];
    ssize_t size = getxattr(path, name, value, sizeof value);
    return size < 0 ? "none" : std::string(value, size_t(size));
}

// Saves in a child process with faults armed; its exit code says saved, failed, or failed with
// the old settings lost.
enum Outcome { SAVED, FAILED, OLD_LOST, KILLED_OFF };

Outcome SaveWithFaults(const IniMap& settings, Fault first, Fault second)
{
    ChildProcess child;
    child.Run([&] {
        Arm(first, second);
        bool lost = false;
        bool saved = WriteSettingsFile(settings, "Settings.ini", &lost);
        return saved ? SAVED : lost ? OLD_LOST : FAILED;
    });
    const int status = WaitBounded(child);
    return status < 0 ? KILLED_OFF : Outcome(status);
}

TEST(SettingsWriter, AFaultPartWayLeavesTheOldOrTheNewSettingsWholeNothingBesideAndSaysSo)
{
    const IniMap old{{"Display", {{"Depth", "32"}, {"Height", "768"}, {"Width", "1024"}}},
                     {"Game", {{"Map", std::string(300, 'm')}}}};
    const IniMap shorter{{"Display", {{"Width", "800"}}}};
    const IniMap longer{{"Display", {{"Width", "800"}}}, {"Game", {{"Map", std::string(900, 'n')}}}};
    enum Left { OLD, NEW, NONE };
    const struct {
        const char* name;
        bool linked, existing;
        Fault first, second;
        Outcome outcome;
        Left left;
        const char* says;
        bool grows = false;
    } cases[] = {
        {"in place, the flush fails", true, true, {"fsync", 1, EIO}, {}, FAILED, OLD, "Input/output"},
        {"in place, a longer text, the flush fails", true, true, {"fsync", 1, EIO}, {}, FAILED, OLD,
         "Input/output", true},
        // Written and flushed: the file holds the new text whatever close says.
        {"in place, the close fails", true, true, {"close", 1, EIO}, {}, SAVED, NEW, ""},
        {"in place, the flush and then the restore fail", true, true, {"fsync", 1, EIO},
         {"pwrite", 2, ENOSPC}, OLD_LOST, NEW, "old settings could not be put back (No space"},
        {"in place, killed at the cut to length", true, true, {"ftruncate", 1, KILLED}, {}, KILLED_OFF, NEW, ""},
        {"replaced, killed at the new file's flush", false, true, {"fsync", 1, KILLED}, {}, KILLED_OFF, OLD, ""},
        {"no file yet, killed at its flush", false, false, {"fsync", 1, KILLED}, {}, KILLED_OFF, NONE, ""},
        {"replaced, the rename fails", false, true, {"rename", 1, EIO}, {}, FAILED, OLD, "rename"},
        // The name may not outlast a power cut: the save is not done.
        {"replaced, the folder's flush fails", false, true, {"fsync folder", 1, EIO}, {}, FAILED, NEW,
         "flush the folder"},
        {"no file yet, the folder's flush fails", false, false, {"fsync folder", 1, EIO}, {}, FAILED,
         NEW, "flush the folder"},
        {"an attribute cannot be copied: written in place", false, true, {"fsetxattr", 1, EPERM}, {},
         SAVED, NEW, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        PlaceNeighbours(".");
        bool attribute = false;
        if (c.existing) {
            WriteFile("Settings.ini", FormatSettings(old));
            attribute = setxattr("Settings.ini", "user.kestrova", "kept", 4, 0) == 0;
            if (c.first.call == std::string("fsetxattr") && !attribute) {
                std::printf("skipped, no user attributes on this file system: %s\n", c.name);
                continue;
            }
        }
        if (c.linked)
            fs::create_hard_link("Settings.ini", (fs::create_directory("links"), "links/Linked.ini"));
        const auto neighbours = Neighbours(".");
        const IniMap& now = c.grows ? longer : shorter;
        testing::internal::CaptureStderr();
        EXPECT_EQ(SaveWithFaults(now, c.first, c.second), c.outcome);
        const std::string message = testing::internal::GetCapturedStderr();
        if (c.outcome != KILLED_OFF) {
            EXPECT_NE(message.find(c.says), std::string::npos) << message;
        }
        EXPECT_EQ(message.empty(), c.outcome == SAVED || c.outcome == KILLED_OFF) << message;
        EXPECT_EQ(fs::exists("Settings.ini"), c.left != NONE);
        if (c.left == OLD) {
            EXPECT_EQ(ReadFile("Settings.ini"), FormatSettings(old));
        } else if (c.left == NEW) {
            EXPECT_EQ(Read("Settings.ini"), now);
        }
        if (attribute && c.left != NONE) {
            EXPECT_EQ(Attribute("Settings.ini", "user.kestrova"), "kept");
        }
        EXPECT_EQ(Neighbours("."), neighbours);
    }
}

TEST(SettingsWriter, TwoSavesInPlaceAtOnceTakeTurnsAndLeaveTheSecondsTextWhole)
{
    const IniMap shortText{{"Game", {{"Log", "true"}}}};
    const IniMap longText{{"Game", {{"Log", "false"}, {"Map", std::string(5000, 'm')}}}};
    const IniMap* orders[][2] = {{&longText, &shortText}, {&shortText, &longText}};
    for (const auto& order : orders) {
        ScratchDir dir;
        WriteFile("Settings.ini", "[Game]\r\n");
        fs::create_hard_link("Settings.ini", "Linked.ini");
        int signal[2];
        ASSERT_EQ(pipe(signal), 0);
        ChildProcess first, second;
        first.Run([&] {
            // Stalls at the cut to length, with its text written.
            g_StallSignal = signal[1];
            Arm({"ftruncate", 1, STALLED});
            return WriteSettingsFile(*order[0], "Settings.ini") ? 0 : 1;
        });
        ASSERT_TRUE(Signalled(signal[0]));
        second.Run([&] { return WriteSettingsFile(*order[1], "Settings.ini") ? 0 : 1; });
        EXPECT_EQ(WaitBounded(first), 0);
        EXPECT_EQ(WaitBounded(second), 0);
        close(signal[0]);
        close(signal[1]);
        EXPECT_EQ(ReadFile("Settings.ini"), FormatSettings(*order[1]));
    }
}

// A POSIX ACL as the kernel keeps it in "system.posix_acl_access" or "system.posix_acl_default":
// version 2, then tag, permissions and id of each entry, little-endian.
std::string Acl(std::initializer_list<std::array<uint32_t, 3>> entries)
{
    std::string bytes{2, 0, 0, 0};
    for (const auto& [tag, perm, id] : entries)
        for (auto [value, size] : {std::pair{tag, 2}, {perm, 2}, {id, 4}})
            for (int i = 0; i < size; ++i)
                bytes += char(value >> (8 * i) & 0xff);
    return bytes;
}

// Owner rw, the user nobody rw, group r, mask rw, others nothing.
const std::string NOBODY_MAY_WRITE =
    Acl({{0x01, 6, ~0u}, {0x02, 6, NOBODY.uid}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}});

TEST(SettingsWriter, AnAclStaysWithTheFileAndLetsTheUserItAllowsSaveAfterwards)
{
    const struct {
        const char* name;
        const User* as;
        bool fileAcl, folderDefaultAcl;
    } cases[] = {
        {"root saving the file", nullptr, true, false},
        {"its owner saving it", &OWNER, true, false},
        // The new file gets its folder's default ACL; the old one had none, so the saved one has none.
        {"its owner saving it without an ACL, the folder with a default one", &OWNER, false, true},
    };
    for (const auto& c : cases) {
        if (SkippedWithoutRoot(true, c.name))
            continue;
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        WriteFile("shared/Settings.ini", "[Game]\r\n");
        Chown("shared", OWNER.uid, GROUP);
        Chown("shared/Settings.ini", OWNER.uid, GROUP);
        fs::permissions("shared/Settings.ini", fs::perms(0640));
        if ((c.fileAcl && setxattr("shared/Settings.ini", "system.posix_acl_access", NOBODY_MAY_WRITE.data(),
                                   NOBODY_MAY_WRITE.size(), 0) != 0) ||
            (c.folderDefaultAcl && setxattr("shared", "system.posix_acl_default", NOBODY_MAY_WRITE.data(),
                                            NOBODY_MAY_WRITE.size(), 0) != 0)) {
            std::printf("skipped, no ACLs on this file system: %s\n", c.name);
            continue;
        }
        const struct stat before = Status("shared/Settings.ini");
        const std::string acl = Attribute("shared/Settings.ini", "system.posix_acl_access");
        EXPECT_TRUE(Save(IniMap{{"Game", {{"Log", "true"}}}}, "shared/Settings.ini", c.as));
        EXPECT_EQ(Attribute("shared/Settings.ini", "system.posix_acl_access"), acl);
        ExpectSameOwnerGroupAndMode(Status("shared/Settings.ini"), before);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Save(IniMap{{"Game", {{"Log", "false"}}}}, "shared/Settings.ini", &NOBODY), c.fileAcl);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(Read("shared/Settings.ini")["Game"]["Log"], c.fileAcl ? "false" : "true");
    }
}

} // namespace
