// Reading "gui/gui.xml" shapes of growing size: time must grow linearly with the bytes, whether
// the file is wide, deep, one long text or one tag full of attributes.
#include <benchmark/benchmark.h>

#include <string>

#include "gui/xml_document.h"

namespace {

void ReadAndReport(benchmark::State& state, const std::string& bytes)
{
    for (auto _ : state) {
        Tamrik::CXMLDocument document;
        document.LoadBytes(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(document.root);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.SetComplexityN(static_cast<int64_t>(bytes.size()));
}

void BM_ReadWideFile(benchmark::State& state)
{
    std::string bytes = "<gui>\n";
    for (int64_t i = 0; i < state.range(0); ++i)
        bytes += "  <button name=\"b" + std::to_string(i) + "\" position=\"10x10\" size=\"80x24\"/>\n";
    ReadAndReport(state, bytes + "</gui>");
}
BENCHMARK(BM_ReadWideFile)->RangeMultiplier(8)->Range(64, 32768)->Complexity();

void BM_ReadDeepFile(benchmark::State& state)
{
    std::string bytes;
    for (int64_t i = 0; i < state.range(0); ++i)
        bytes += "<label>";
    ReadAndReport(state, bytes);
}
BENCHMARK(BM_ReadDeepFile)->RangeMultiplier(8)->Range(64, 262144)->Complexity();

void BM_ReadLongTextInPieces(benchmark::State& state)
{
    std::string bytes = "<event>";
    for (int64_t i = 0; i < state.range(0); ++i)
        bytes += "push r1 <!-- c --> pop r1\n";
    ReadAndReport(state, bytes + "</event>");
}
BENCHMARK(BM_ReadLongTextInPieces)->RangeMultiplier(8)->Range(64, 32768)->Complexity();

void BM_ReadOneTagOfManyAttributes(benchmark::State& state)
{
    std::string bytes = "<label";
    for (int64_t i = 0; i < state.range(0); ++i)
        bytes += " attribute_with_a_long_shared_prefix" + std::to_string(i) + "=\"v\"";
    ReadAndReport(state, bytes + "/>");
}
BENCHMARK(BM_ReadOneTagOfManyAttributes)->RangeMultiplier(8)->Range(64, 32768)->Complexity();

} // namespace
