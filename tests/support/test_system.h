// The tests' system object: log, main-window object (no window until a test creates one) and
// script machine with "System" registered, a counter the test sets or lets step, and no
// platform timer.
#pragma once
#include <cstdint>

#include "core/ini_file.h"
#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "script/virtual_machine.h"

namespace kestrova_test {

class TestSystem : public Tamrik::CSystem {
public:
    // With logging on, the log goes to "log.txt" in the working directory (use a ScratchDir).
    explicit TestSystem(bool logging = false)
    {
        (*settings)["Game"]["Log"] = logging ? "true" : "false";
        log = new Tamrik::CLog(this);
        mainWindow = new Tamrik::CMainWindow(this);
        vm = new Tamrik::CWin32VirtualMachine(this);
        vm->RegisterObject("System", this);
    }
    void Sleep(uint32_t) override {}
    // A fake clock: each reading advances it by counterStep (0 stands still).
    int64_t GetCounter() override
    {
        const int64_t now = counter;
        counter += counterStep;
        return now;
    }
    int64_t GetFrequency() override { return frequency; }

    int64_t counter = 1;
    int64_t counterStep = 0;
    int64_t frequency = 1000;
};

} // namespace kestrova_test
