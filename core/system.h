// The system object: settings, log, main window, script machine, listener lists, quit flag, timer.
#pragma once
#include <cstdint>
#include <vector>

#include "core/ini_file.h"
#include "core/input_listener.h"

namespace Tamrik {

class CLog;
class CMainWindow;
class CVirtualMachine;

class CSystem {
public:
    CSystem();
    virtual ~CSystem();
    CSystem(const CSystem&) = delete;
    CSystem& operator=(const CSystem&) = delete;

    virtual void Sleep(uint32_t milliseconds) = 0;
    virtual int64_t GetCounter() = 0;
    virtual int64_t GetFrequency() = 0;

    // Exported to handler programs: ends the main loop after the current pass.
    void Terminate();

    void AddListener(InputEvent kind, InputListener listener);
    void RemoveListener(InputEvent kind, InputListener listener);

    void FireMouseButtonDown(int32_t button);
    void FireMouseButtonUp(int32_t button);
    void FireMouseWheel(int32_t delta);
    void FireMouseMove(int32_t dx, int32_t dy);
    void FireKeyDown(int32_t scanCode);
    void FireKeyUp(int32_t scanCode);

    CLog* log = nullptr;
    IniMap* settings = nullptr;
    int settingsError = 0;   // why "Settings.ini" could not be read (an errno value), 0 when it was
    CMainWindow* mainWindow = nullptr;
    CVirtualMachine* vm = nullptr;
    bool quit = false;

protected:
    // One list per InputEvent. A record removed while its list fires is only marked; the list
    // is compacted when the outermost firing ends, so firing never touches a removed record.
    struct ListenerList {
        struct Entry {
            InputListener listener;
            bool removed = false;
            uint64_t calledInFiring = 0; // serial of the last firing that called it
        };
        std::vector<Entry> entries;
        int firingDepth = 0;
        uint64_t firings = 0;
    };
    void Fire(InputEvent kind, int32_t a, int32_t b);
    static void RemoveListenerFromList(ListenerList& list, InputListener listener);
    // Whether a record equal to the one at index was called earlier in this firing.
    static bool AlreadyCalled(const ListenerList& list, size_t index, uint64_t firing);

    ListenerList listeners[INPUT_EVENT_COUNT];
};

class CWin32System : public CSystem {
public:
    CWin32System();
    ~CWin32System() override;

    void Sleep(uint32_t milliseconds) override;
    int64_t GetCounter() override;
    int64_t GetFrequency() override;
};

// The one system object, for the window's event handling, which has no object of its own.
extern CSystem* g_pSystem;

} // namespace Tamrik
