// Where tests find the built runtime directory and the sources, and a scratch working directory.
#pragma once
#include <filesystem>
#include <string>

namespace kestrova_test {

std::filesystem::path RunDir();
std::filesystem::path SourceDir();
std::filesystem::path BinaryDir();

// Writes a whole file (binary); creates parent folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// Reads a whole file; empty when missing.
std::string ReadFile(const std::filesystem::path& path);

// Makes a fresh empty folder and changes into it; goes back and removes it at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path; }

private:
    std::filesystem::path path;
    std::filesystem::path previous;
};

} // namespace kestrova_test
