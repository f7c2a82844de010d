// A small tmpfs for tests of a full disk, detached at the end even while a child still uses it.
#include "tests/support/small_disk.h"

#include <sys/mount.h>

#include <fstream>
#include <string>

namespace kestrova_test {

SmallDisk::SmallDisk(const std::filesystem::path& where) : folder(where)
{
    std::error_code ignored;
    std::filesystem::create_directory(folder, ignored);
    mounted = mount("kestrova-test", folder.c_str(), "tmpfs", 0, "size=64k,mode=0777") == 0;
}

SmallDisk::~SmallDisk()
{
    if (mounted)
        umount2(folder.c_str(), MNT_DETACH);
}

void SmallDisk::Fill() const
{
    std::ofstream filler(folder / "filler", std::ios::binary | std::ios::app);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
}

} // namespace kestrova_test
