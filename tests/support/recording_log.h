// A log for tests whose message boxes are recorded as "caption|text" instead of shown.
#pragma once
#include <string>
#include <vector>

#include "core/log.h"

namespace kestrova_test {

class RecordingLog : public Tamrik::CLog {
public:
    using Tamrik::CLog::CLog;
    void ShowMessage(const char* caption, const char* text) override
    {
        messages.push_back(std::string(caption) + "|" + text);
    }
    std::vector<std::string> messages;
};

} // namespace kestrova_test
