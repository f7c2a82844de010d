// "log.txt": appended byte for byte with CR LF line ends, and only when [Game] Log is "true".
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/log.h"
#include "core/system.h"
#include "tests/support/counting.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;
using kestrova_test::Count;
using kestrova_test::ReadFile;
using kestrova_test::WriteFile;

namespace {

TEST(Log, TextsAreAppendedUnchangedWithCrLfLineEnds)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", "[Game]\r\nLog = \"true\"\r\n");
    WriteFile("log.txt", "old\r\n");
    CWin32System system;
    system.log->Write("a");
    system.log->Write("b");
    system.log->Write("line\nnext %s %d\n\n");
    system.log->Write("");
    EXPECT_EQ(ReadFile("log.txt"), "old\r\nabline\r\nnext %s %d\r\n\r\n");
}

TEST(Log, ARunWritesAtMost64MiBThenOneLineAndNothingMore)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", "[Game]\r\nLog = \"true\"\r\n");
    WriteFile("log.txt", "old\r\n");
    CWin32System system;
    const std::string line = std::string(1023, 'x') + "\n";
    // Spans of a thousand lines stay under each event's allowance.
    for (int span = 0; span < 70; ++span) {
        system.BeginWork(Tamrik::WorkKind::Event);
        for (int i = 0; i < 1000; ++i)
            system.log->Write(line.c_str());
        system.EndWork();
    }
    const std::string leftOut = "\r\nWarning: further log lines of this run were left out.\r\n";
    std::string log = ReadFile("log.txt");
    EXPECT_LE(log.size() - 5, CLog::MAX_RUN_BYTES);
    EXPECT_GT(log.size() - 5, CLog::MAX_RUN_BYTES - 2048);
    EXPECT_EQ(log.find(leftOut), log.size() - leftOut.size());
    // Not even the bound's own lines get through now.
    system.log->Write("more\n");
    system.log->Write("Warning: bound\n", true);
    EXPECT_EQ(ReadFile("log.txt").size(), log.size());
}

// The log file's bytes from offset on.
std::string ReadFrom(size_t offset)
{
    std::ifstream file("log.txt", std::ios::binary);
    file.seekg(static_cast<std::streamoff>(offset));
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(Log, LinesOfAboutAMegabyteKeepToTheSpanAndRunCapsWithOneLineEach)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", "[Game]\r\nLog = \"true\"\r\n");
    CWin32System system;
    const std::string line = std::string(CLog::MAX_SPAN_BYTES - 4 * CLog::SPAN_RESERVE_BYTES, 'x') + "\n";
    const std::string spanLeftOut = "\r\nWarning: further log lines of this event were left out.\r\n";
    const std::string runLeftOut = "\r\nWarning: further log lines of this run were left out.\r\n";
    size_t size = 0;
    size_t runLines = 0;
    for (int span = 0; span < 70; ++span) {
        SCOPED_TRACE(span);
        system.BeginWork(Tamrik::WorkKind::Event);
        // The second line no longer fits, nor would the third.
        system.log->Write(line.c_str());
        for (int i = 0; i < 2; ++i)
            system.log->Write(std::string(4 * CLog::SPAN_RESERVE_BYTES, 'y').c_str());
        system.EndWork();
        const size_t now = std::filesystem::file_size("log.txt");
        EXPECT_LE(now - size, CLog::MAX_SPAN_BYTES);
        // The lines that say what was left out come last.
        const std::string added = ReadFrom(std::max(size, now - 512));
        size = now;
        // Until the run is full, one line of the span gets through and one says the rest was left out.
        const size_t runLine = Count(added, runLeftOut);
        if (runLines + runLine == 0) {
            EXPECT_EQ(Count(added, spanLeftOut), 1u);
        }
        runLines += runLine;
    }
    EXPECT_EQ(runLines, 1u);
    EXPECT_LE(size, CLog::MAX_RUN_BYTES);
    EXPECT_GT(size, CLog::MAX_RUN_BYTES - CLog::MAX_SPAN_BYTES);
    EXPECT_EQ(ReadFrom(size - runLeftOut.size()), runLeftOut);
}

TEST(Log, OnlyTheExactValueTrueTurnsTheLogOn)
{
    for (const char* settings :
         {"[Game]\nLog = True\n", "[Game]\nLog = 1\n", "[Game]\nLog = \" true\"\n",
          "[Game]\nLog = \"true \"\n", "[Game]\nMap = x\n", "", "Log = true\n"}) {
        kestrova_test::ScratchDir scratch;
        WriteFile("Settings.ini", settings);
        CWin32System system;
        system.log->Write("text\n");
        EXPECT_FALSE(std::filesystem::exists("log.txt")) << settings;
    }
}

TEST(Log, TheSettingIsReadAnewOnEveryCall)
{
    kestrova_test::ScratchDir scratch;
    CWin32System system;
    system.log->Write("off ");
    (*system.settings)["Game"]["Log"] = "true";
    system.log->Write("on ");
    (*system.settings)["Game"]["Log"] = "false";
    system.log->Write("off");
    EXPECT_EQ(ReadFile("log.txt"), "on ");
}

TEST(Log, AnUnwritableLogDropsTheTextSilently)
{
    kestrova_test::ScratchDir scratch;
    WriteFile("Settings.ini", "[Game]\nLog = true\n");
    CWin32System system;
    // A folder where the file should be cannot be opened for appending, even by root.
    std::filesystem::create_directory("log.txt");
    system.log->Write("lost\n");
    // Nothing of it is kept for later: once the file can be written, only new texts arrive.
    std::filesystem::remove("log.txt");
    system.log->Write("kept\n");
    EXPECT_EQ(ReadFile("log.txt"), "kept\r\n");
}

} // namespace
