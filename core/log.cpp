// Log file and message boxes. Writes are unbuffered, so every text is in the file when Write
// returns, whatever happens to the process afterwards. Outside a span the file is opened and
// closed per call; inside one it stays open.
#include "core/log.h"

#include "core/ini_file.h"
#include "core/system.h"
#include "platform/message_box.h"

namespace Tamrik {

CLog::CLog(CSystem* owner) : owner(owner) {}

CLog::~CLog()
{
    if (spanFile)
        std::fclose(spanFile);
}

void CLog::ShowMessage(const char* caption, const char* text)
{
    platform::ShowMessageBox(caption, text, platform::MessageIcon::Information);
}

void CLog::BeginSpan()
{
    if (spanDepth++ > 0)
        return;
    spanBytes = 0;
    spanFull = false;
}

void CLog::EndSpan()
{
    if (spanDepth == 0 || --spanDepth > 0)
        return;
    if (spanFile) {
        std::fclose(spanFile);
        spanFile = nullptr;
    }
}

size_t CLog::FileBytes(const char* text)
{
    size_t size = 0;
    for (const char* p = text; *p; ++p)
        size += *p == '\n' ? 2 : 1;
    return size;
}

void CLog::Write(const char* text, bool uncapped)
{
    if (!owner || !owner->settings)
        return;
    // Every call looks up the switch, whether or not it writes. A spent span still writes: the
    // bound's own lines and the switch-off line come then, and the byte caps bound it.
    static_cast<void>(owner->ChargeWork(CALL_UNITS));
    if ((*owner->settings)["Game"]["Log"] != "true" || !text || runFull)
        return;
    // Text mode on the original platform: every LF goes out as CR LF.
    size_t size = FileBytes(text);
    static_cast<void>(owner->ChargeWork(size / LOGGED_BYTES_PER_UNIT));
    if (spanDepth > 0 && !uncapped) {
        if (spanFull)
            return;
        if (spanBytes + size > MAX_SPAN_BYTES - SPAN_RESERVE_BYTES) {
            spanFull = true;
            text = LEFT_OUT_LINE;
            size = FileBytes(text);
        } else {
            spanBytes += size;
        }
    }
    if (runBytes + size > MAX_RUN_BYTES - SPAN_RESERVE_BYTES) {
        runFull = true;
        text = RUN_LEFT_OUT_LINE;
        size = FileBytes(text);
    }
    runBytes += size;
    static_cast<void>(owner->ChargeWork(WRITE_UNITS));
    char buffer[4096];
    size_t used = 0;
    for (const char* p = text; *p; ++p) {
        if (used + 2 > sizeof buffer) {
            Append(buffer, used);
            used = 0;
        }
        if (*p == '\n')
            buffer[used++] = '\r';
        buffer[used++] = *p;
    }
    if (used > 0 || size == 0)
        Append(buffer, used);
}

void CLog::Append(const char* bytes, size_t size)
{
    FILE* file = spanFile;
    if (!file) {
        file = std::fopen("log.txt", "ab");
        if (!file)
            return;
        std::setvbuf(file, nullptr, _IONBF, 0);
        if (spanDepth > 0)
            spanFile = file;
    }
    if (size > 0)
        std::fwrite(bytes, 1, size, file);
    if (file != spanFile)
        std::fclose(file);
}

void WriteToLog(const CSystem* system, const char* text, bool uncapped)
{
    if (system && system->log)
        system->log->Write(text, uncapped);
}

} // namespace Tamrik
