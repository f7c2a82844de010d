// The program's log "log.txt" and its message boxes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "core/work_kind.h"

namespace Tamrik {

class CSystem;

class CLog {
public:
    explicit CLog(CSystem* owner);
    virtual ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // A modal box with the information icon; blocks until dismissed.
    virtual void ShowMessage(const char* caption, const char* text);

    // Appends text to "log.txt" when [Game] Log is exactly "true"; "\n" is written as CR LF.
    // Inside a span the text counts against its allowance, unless it is uncapped: the lines that
    // say the span's work hit its bound and which handler is switched off for it, which come at
    // most once or twice per span.
    void Write(const char* text, bool uncapped = false);

    // The log lines of one input event or one build (spans nest; the outermost counts): at most
    // MAX_SPAN_BYTES reach the file, then one line says that the rest was left out. The file
    // stays open during the span. Over the whole run of the program at most MAX_RUN_BYTES reach
    // it, the bound's lines included, then one line says so and nothing more is written.
    void BeginSpan();
    void EndSpan();

    static constexpr size_t MAX_SPAN_BYTES = 1 << 20;
    // Kept for the line that says the rest was left out and the lines of the bound.
    static constexpr size_t SPAN_RESERVE_BYTES = 1024;
    static constexpr char LEFT_OUT_LINE[] = "\nWarning: further log lines of this event were left out.\n";
    static constexpr size_t MAX_RUN_BYTES = size_t{64} << 20;
    static constexpr char RUN_LEFT_OUT_LINE[] = "\nWarning: further log lines of this run were left out.\n";
    // What a text costs the span's work: every call, its bytes when the log is on, and a write
    // to the file when it gets there.
    static constexpr WorkUnits CALL_UNITS = 32;
    static constexpr WorkUnits WRITE_UNITS = 512;
    static constexpr size_t LOGGED_BYTES_PER_UNIT = 2;

    CSystem* owner;

private:
    // Writes the bytes as they go to the file (line ends already CR LF) in one write.
    void Append(const char* bytes, size_t size);

    // The bytes as they reach the file: CR LF for every LF.
    static size_t FileBytes(const char* text);

    size_t runBytes = 0;
    bool runFull = false;
    int spanDepth = 0;
    size_t spanBytes = 0;
    bool spanFull = false;
    FILE* spanFile = nullptr;
};

// Writes text to the log of system, if there is one: for code that holds the system object only
// to log through it, so that it needs to know no more of it than this.
void WriteToLog(const CSystem* system, const char* text, bool uncapped = false);

} // namespace Tamrik
