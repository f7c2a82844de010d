// Test paths and scratch folders.
#include "tests/support/test_paths.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>

namespace kestrova_test {

std::filesystem::path RunDir() { return KESTROVA_RUN_DIR; }
std::filesystem::path SourceDir() { return KESTROVA_SOURCE_DIR; }
std::filesystem::path BinaryDir() { return KESTROVA_BINARY_DIR; }

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ScratchDir::ScratchDir()
{
    previous = std::filesystem::current_path();
    std::random_device rd;
    path = std::filesystem::temp_directory_path() /
           ("kestrova-test-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path);
    std::filesystem::current_path(path);
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::current_path(previous, ec);
    std::filesystem::remove_all(path, ec);
}

} // namespace kestrova_test
