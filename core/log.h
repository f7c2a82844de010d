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

} // namespace Tamrik
