// Measuring texts with the bitmap font, as the GUI placement does for every visible window in
// every frame.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "render/bitmap_font.h"

namespace {

const Tamrik::CBitmapFont& Font()
{
    static Tamrik::CBitmapFont font;
    static bool loaded = [] {
        std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(KESTROVA_RUN_DIR);
        bool ok = font.Load();
        std::filesystem::current_path(previous);
        return ok;
    }();
    (void)loaded;
    return font;
}

void BM_TextWidthOfAButtonLabel(benchmark::State& state)
{
    const Tamrik::CBitmapFont& font = Font();
    for (auto _ : state)
        benchmark::DoNotOptimize(font.GetTextWidth("Press any key to continue..."));
}
BENCHMARK(BM_TextWidthOfAButtonLabel);

void BM_LineHeight(benchmark::State& state)
{
    const Tamrik::CBitmapFont& font = Font();
    for (auto _ : state)
        benchmark::DoNotOptimize(font.GetLineHeight());
}
BENCHMARK(BM_LineHeight);

} // namespace
