// A folder on a small file system of its own, so that a test can fill it to the last block.
#pragma once
#include <filesystem>

namespace kestrova_test {

class SmallDisk {
public:
    // Mounts a tmpfs of a few blocks on folder (made when missing); needs the right to mount.
    explicit SmallDisk(const std::filesystem::path& folder);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted; }
    // Writes a file named filler until no block is left.
    void Fill() const;

private:
    std::filesystem::path folder;
    bool mounted = false;
};

} // namespace kestrova_test
