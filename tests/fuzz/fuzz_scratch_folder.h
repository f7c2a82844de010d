// A private working folder for the fuzz targets whose files are fixed relative to it ("gui/gui.xml",
// "fonts/arial.ttf", "log.txt"). Changing into it must not lose the paths that libFuzzer was given
// relative to where it started: the corpus folders and where crashing inputs are written.
#pragma once
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

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

// libFuzzer calls this before it reads its arguments: corpus paths and the path flags become
// absolute, and crashing inputs go to the starting folder unless a prefix says otherwise.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<std::string> args;
    static std::vector<char*> pointers;
    const char* const pathFlags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict="};
    std::error_code ec;
    const std::string start = std::filesystem::current_path(ec).string() + "/";
    bool prefixed = false;
    for (int i = 0; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        if (i > 0 && !arg.empty() && arg[0] != '-') {
            arg = std::filesystem::absolute(arg, ec).string();
        } else {
            for (const char* flag : pathFlags) {
                const size_t n = std::strlen(flag);
                if (arg.compare(0, n, flag) == 0 && arg.size() > n && arg[n] != '/')
                    arg = flag + start + arg.substr(n);
            }
        }
        prefixed = prefixed || arg.rfind("-artifact_prefix=", 0) == 0;
        args.push_back(arg);
    }
    if (!prefixed && *argc > 0)
        args.push_back("-artifact_prefix=" + start);
    for (std::string& arg : args)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(args.size());
    *argv = pointers.data();
    return 0;
}
