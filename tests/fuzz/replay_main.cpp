// Replays every file of the given files or folders through the fuzz entry point once. A path
// that is missing, or a folder without a single input, fails the replay: it would otherwise pass
// having tested nothing.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

static void ReplayFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char** argv)
{
    // A target that changes folder makes the paths absolute first, as under libFuzzer.
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int count = 0;
    int failures = 0;
    // The empty input always runs, so a target with no corpus yet is still exercised.
    LLVMFuzzerTestOneInput(nullptr, 0);
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            continue;
        std::filesystem::path p(argv[i]);
        std::error_code ec;
        int found = 0;
        if (std::filesystem::is_directory(p, ec)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(p, ec))
                if (entry.is_regular_file()) { ReplayFile(entry.path()); ++found; }
        } else if (std::filesystem::is_regular_file(p, ec)) {
            ReplayFile(p);
            found = 1;
        }
        if (found == 0) {
            std::fprintf(stderr, "no inputs at %s\n", argv[i]);
            ++failures;
        }
        count += found;
    }
    std::printf("replayed %d inputs\n", count);
    return failures == 0 ? 0 : 1;
}
