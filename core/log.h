// The program's log "log.txt" and its message boxes.
#pragma once
#include <cstddef>
#include <cstdio>

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
    // say the span's work hit its bound, which come at most once or twice per span.
    void Write(const char* text, bool uncapped = false);

    // The log lines of one input event or one build (spans nest; the outermost counts): at most
    // MAX_SPAN_BYTES reach the file, then one line says that the rest was left out. The file
    // stays open during the span.
    void BeginSpan();
    void EndSpan();

    static constexpr size_t MAX_SPAN_BYTES = 1 << 20;
    // Kept for the line that says the rest was left out and the lines of the bound.
    static constexpr size_t SPAN_RESERVE_BYTES = 1024;
    static constexpr char LEFT_OUT_LINE[] = "\nWarning: further log lines of this event were left out.\n";

    CSystem* owner;

private:
    // Writes the bytes as they go to the file (line ends already CR LF) in one write.
    void Append(const char* bytes, size_t size);

    int spanDepth = 0;
    size_t spanBytes = 0;
    bool spanFull = false;
    FILE* spanFile = nullptr;
};

// Writes text to the log of system, if there is one: for code that holds the system object only
// to log through it, so that it needs to know no more of it than this.
void WriteToLog(const CSystem* system, const char* text, bool uncapped = false);

} // namespace Tamrik
