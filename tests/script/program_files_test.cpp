// Handler programs as files: each tests/script/programs/NAME.easm runs on a fresh machine and is
// checked against NAME.expect (format in tests/script/programs/README.md). A failing case shows
// the program's disassembly.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/script/script_test_support.h"
#include "tests/support/disassembler.h"
#include "tests/support/test_paths.h"

using namespace kestrova_test;

namespace {

std::filesystem::path ProgramsDir() { return SourceDir() / "tests" / "script" / "programs"; }

std::vector<std::string> ProgramNames()
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(ProgramsDir(), ec))
        if (entry.path().extension() == ".easm")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Lines that start with '#' are notes for the reader; the rest is the handler text.
std::string HandlerText(const std::string& file)
{
    std::istringstream in(file);
    std::string text, line;
    while (std::getline(in, line)) {
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] != '#')
            text += line + "\n";
    }
    return text;
}

// "\n", "\t", "\\" and "\r" in a log line of an .expect file.
std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '\\' || k + 1 == text.size()) {
            out += text[k];
            continue;
        }
        const char c = text[++k];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A whole number (decimal, negative, or 0x hexadecimal) as the 32-bit word it lands in.
bool ParseWord(const std::string& text, uint32_t& word)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    word = static_cast<uint32_t>(value);
    return *end == '\0';
}

uint32_t MemoryAt(const Tamrik::CVirtualMachine& vm, uint32_t address, uint32_t bytes)
{
    uint32_t value = 0;
    for (uint32_t k = 0; k < bytes && address + k < Tamrik::MACHINE_MEMORY_SIZE; ++k)
        value |= static_cast<uint32_t>(vm.memory[address + k]) << (8 * k);
    return value;
}

class ProgramFile : public testing::TestWithParam<std::string> {};

TEST_P(ProgramFile, RunsAsExpected)
{
    const std::filesystem::path base = ProgramsDir() / GetParam();
    const std::string source = HandlerText(ReadFile(base.string() + ".easm"));
    const std::string expect = ReadFile(base.string() + ".expect");
    ASSERT_FALSE(expect.empty()) << "no " << GetParam() << ".expect beside the program";

    ScratchDir scratch;
    TestSystem system(true);
    Tamrik::CVirtualMachine& vm = *system.vm;
    Program program = Assemble(source, &vm);
    if (program) {
        vm.LoadProgram(program.get());
        vm.Run();
    }
    SCOPED_TRACE("the program:\n" + (program ? Disassemble(program->data, program->size) : "(not assembled)\n"));

    std::string expectedLog;
    std::istringstream lines(expect);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string where = GetParam() + ".expect:" + std::to_string(number) + ": ";
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        if (trimmed.rfind("log ", 0) == 0 || trimmed == "log") {
            // The text starts after the one blank behind "log"; trailing blanks count.
            expectedLog += Unescape(line.substr(std::min(line.find("log") + 4, line.size())));
            continue;
        }
        if (trimmed == "does not assemble") {
            EXPECT_EQ(program, nullptr) << where << "the program assembled";
            continue;
        }
        const size_t equals = trimmed.find('=');
        ASSERT_NE(equals, std::string::npos) << where << "no '=' in '" << trimmed << "'";
        const std::string key = Trim(trimmed.substr(0, equals));
        const std::string value = Trim(trimmed.substr(equals + 1));
        ASSERT_NE(program, nullptr) << where << "the program did not assemble";
        uint32_t word = 0;
        unsigned index = 0;
        char tail = 0;
        if (key == "quit") {
            EXPECT_EQ(system.quit, value == "true") << where;
        } else if (key == "stack") {
            ASSERT_TRUE(ParseWord(value, word)) << where << "bad number";
            EXPECT_EQ(vm.StackDepth(), static_cast<int32_t>(word)) << where;
        } else if (std::sscanf(key.c_str(), "r%u%c", &index, &tail) == 1 && index < 32) {
            ASSERT_TRUE(ParseWord(value, word)) << where << "bad number";
            EXPECT_EQ(vm.registers[index], word)
                << where << key << " is " << static_cast<int32_t>(vm.registers[index]) << ", expected " << value;
        } else if (std::sscanf(key.c_str(), "f%u%c", &index, &tail) == 1 && index < 32) {
            char* end = nullptr;
            const float expected = std::strtof(value.c_str(), &end);
            ASSERT_TRUE(end != value.c_str() && *end == '\0') << where << "bad float";
            EXPECT_EQ(std::bit_cast<float>(vm.registers[index]), expected) << where << key;
        } else {
            unsigned bits = 0, address = 0;
            int used = 0;
            ASSERT_TRUE(std::sscanf(key.c_str(), "m%u%n", &bits, &used) == 1 &&
                        std::sscanf(key.c_str() + used, " [%u ]%c", &address, &tail) == 1 &&
                        key.back() == ']' && (bits == 8 || bits == 16 || bits == 32))
                << where << "unknown key '" << key << "'";
            ASSERT_TRUE(ParseWord(value, word)) << where << "bad number";
            EXPECT_EQ(MemoryAt(vm, address, bits / 8), word) << where << key;
        }
    }
    std::string log = ReadFile("log.txt");
    for (size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at))
        log.erase(at, 1);
    EXPECT_EQ(log, expectedLog) << GetParam() << ": the log";
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramFile, testing::ValuesIn(ProgramNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
