// The system object: settings, log, main window, script machine, listener lists, quit flag, timer.
#pragma once
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "core/ini_file.h"
#include "core/input_listener.h"
#include "core/work_kind.h"

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

    // Records in the list of kind, 0 for a kind outside 0 to 6.
    size_t ListenerCount(InputEvent kind) const;

    // The bound on the work of one input event or one build: the handler runs inside it (nested
    // ones included), the native calls they make, the GUI's walks and the log lines share one
    // count of units (CVirtualMachine::BeginWork) and one log allowance. Spans nest; the
    // outermost one sets the bound.
    void BeginWork(WorkKind kind);
    void EndWork();
    // The open span has hit its bound: nothing more is to run in it.
    bool WorkSpent() const;
    // The span's count for the code below the script machine (the log, the GUI):
    // CVirtualMachine::Charge, the same answer whether its work goes on; yes with no machine.
    [[nodiscard]] bool ChargeWork(WorkUnits units);

    class WorkScope {
    public:
        // The span of one input event, or of the GUI's build.
        explicit WorkScope(CSystem* system, WorkKind kind = WorkKind::Event) : system(system)
        {
            system->BeginWork(kind);
        }
        ~WorkScope() { system->EndWork(); }
        WorkScope(const WorkScope&) = delete;
        WorkScope& operator=(const WorkScope&) = delete;

    private:
        CSystem* system;
    };

    CLog* log = nullptr;
    IniMap* settings = nullptr;
    int settingsError = 0;   // why "Settings.ini" could not be read (an errno value), 0 when it was
    CMainWindow* mainWindow = nullptr;
    CVirtualMachine* vm = nullptr;
    bool quit = false;

protected:
    // One list per InputEvent: the records in insertion order, and for each distinct record the
    // places it stands, so that removing finds them without walking the list. A record removed
    // while its list fires is unlinked at once; the firing holds the record it goes to next,
    // which removing moves along, so neither a removed record nor a growing list is ever walked.
    struct ListenerList {
        struct Record;
        using Records = std::list<Record>;
        struct Identity {
            std::vector<Records::iterator> places;
            uint64_t calledInFiring = 0; // serial of the last firing that called the record
        };
        struct Record {
            InputListener listener;
            Identity* identity;
            uint64_t addedInFiring; // serial of the firing under way when it was added, else 0
        };
        Records records;
        std::unordered_map<InputListener, Identity, InputListenerHash> identities;
        std::vector<Records::iterator*> cursors; // the next record of each firing under way
        bool emptyIdentities = false;            // records were removed while the list fired
        uint64_t firings = 0;
    };
    void Fire(InputEvent kind, int32_t a, int32_t b);
    static void RemoveListenerFromList(ListenerList& list, InputListener listener);

    ListenerList listeners[INPUT_EVENT_COUNT];

private:
    int workDepth = 0;
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
