// Saving Settings.ini: order, quoting and line ends, the read-back, the atomic replace, links,
// in-place saves, owners and groups kept, neighbours left alone, and failures that keep the old
// file and leave nothing behind.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/ini_file.h"
#include "manager/settings_form.h"
#include "manager/settings_writer.h"
#include "tests/support/test_paths.h"

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
    pid_t child = fork();
    if (child == 0) {
        bool saved = setgroups(0, nullptr) == 0 && setresgid(as->gid, as->gid, as->gid) == 0 &&
                     setresuid(as->uid, as->uid, as->uid) == 0 && WriteSettingsFile(settings, path);
        _exit(saved ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
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
        bool asOtherUser, fullDisk;
        void (*make)(const std::string& old);
    } cases[] = {
        {"read-only file", true, false,
         [](const std::string& old) {
             WriteFile("disk/Settings.ini", old);
             fs::permissions("disk/Settings.ini", fs::perms(0444));
             fs::permissions("disk", fs::perms(0777));
         }},
        {"folder in its place", false, false,
         [](const std::string&) { WriteFile("disk/Settings.ini/keep", "x"); }},
        {"full disk", false, true, [](const std::string& old) { WriteFile("disk/Settings.ini", old); }},
        {"full disk, hard link written in place", false, true,
         [](const std::string& old) {
             WriteFile("disk/Settings.ini", old);
             fs::create_hard_link("disk/Settings.ini", "disk/Linked.ini");
         }},
        {"full disk, no file yet", false, true, [](const std::string&) {}},
    };
    for (const auto& c : cases) {
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
        EXPECT_FALSE(Save(settings, "disk/Settings.ini", c.asOtherUser ? &NOBODY : nullptr));
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
        bool othersFile;
        void (*make)();
    } cases[] = {
        {"the user's own file", false, [] { fs::permissions("Settings.ini", fs::perms(0640)); }},
        // Root saving a user's file gives it back to the user, who can save it again.
        {"root saving a user's file", true,
         [] {
             Chown("Settings.ini", OWNER.uid, GROUP);
             fs::permissions("Settings.ini", fs::perms(0644));
         }},
    };
    for (const auto& c : cases) {
        if (SkippedWithoutRoot(c.othersFile, c.name))
            continue;
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        WriteFile("Settings.ini", "[Game]\r\n");
        c.make();
        const struct stat before = Status("Settings.ini");
        ASSERT_TRUE(WriteSettingsFile(IniMap{{"Game", {{"Log", "true"}}}}, "Settings.ini"));
        ExpectSameOwnerGroupAndMode(Status("Settings.ini"), before);
        EXPECT_EQ(ReadFile("Settings.ini"), "[Game]\r\nLog = \"true\"\r\n");
    }
}

} // namespace
