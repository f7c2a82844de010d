// Log file and message boxes. The file is opened and closed per call so every line is on disk
// when Write returns, whatever happens to the process afterwards.
#include "core/log.h"

#include <cstdio>

#include "core/ini_file.h"
#include "core/system.h"
#include "platform/message_box.h"

namespace Tamrik {

CLog::CLog(CSystem* owner) : owner(owner) {}

void CLog::ShowMessage(const char* caption, const char* text)
{
    platform::ShowMessageBox(caption, text, platform::MessageIcon::Information);
}

void CLog::Write(const char* text)
{
    if (!owner || !owner->settings || (*owner->settings)["Game"]["Log"] != "true" || !text)
        return;
    FILE* file = std::fopen("log.txt", "ab");
    if (!file)
        return;
    // Text mode on the original platform: every LF goes out as CR LF.
    for (const char* p = text; *p; ++p) {
        if (*p == '\n')
            std::fputc('\r', file);
        std::fputc(*p, file);
    }
    std::fclose(file);
}

void WriteToLog(const CSystem* system, const char* text)
{
    if (system && system->log)
        system->log->Write(text);
}

} // namespace Tamrik
