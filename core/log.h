// The program's log "log.txt" and its message boxes.
#pragma once

namespace Tamrik {

class CSystem;

class CLog {
public:
    explicit CLog(CSystem* owner);
    virtual ~CLog() = default;

    // A modal box with the information icon; blocks until dismissed.
    virtual void ShowMessage(const char* caption, const char* text);

    // Appends text to "log.txt" when [Game] Log is exactly "true"; "\n" is written as CR LF.
    void Write(const char* text);

    CSystem* owner;
};

// Writes text to the log of system, if there is one: for code that holds the system object only
// to log through it, so that it needs to know no more of it than this.
void WriteToLog(const CSystem* system, const char* text);

} // namespace Tamrik
