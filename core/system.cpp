// The system object: construction and destruction orders, the timer, the quit flag and the
// seven input-listener lists.
#include "core/system.h"

#include "core/log.h"
#include "core/main_window.h"
#include "platform/clock.h"
#include "script/virtual_machine.h"

namespace Tamrik {

CSystem* g_pSystem = nullptr;

namespace {

bool IsListKind(InputEvent kind)
{
    return static_cast<unsigned>(kind) < static_cast<unsigned>(INPUT_EVENT_COUNT);
}

} // namespace

CSystem::CSystem()
{
    settings = LoadSettings(&settingsError);
    quit = false;
}

CSystem::~CSystem()
{
    delete log;
    log = nullptr;
    delete settings;
    settings = nullptr;
    delete mainWindow;
    mainWindow = nullptr;
    delete vm;
    vm = nullptr;
    // The lists go last, list 6 first: array members are destroyed from the back.
}

void CSystem::Terminate()
{
    quit = true;
}

void CSystem::AddListener(InputEvent kind, InputListener listener)
{
    if (!IsListKind(kind))
        return;
    listeners[kind].entries.push_back({listener, false});
}

void CSystem::RemoveListener(InputEvent kind, InputListener listener)
{
    if (!IsListKind(kind))
        return;
    RemoveListenerFromList(listeners[kind], listener);
}

void CSystem::RemoveListenerFromList(ListenerList& list, InputListener listener)
{
    if (list.firingDepth > 0) {
        // The firing loop walks this vector by index; erasing would shift records under it.
        for (ListenerList::Entry& entry : list.entries)
            if (entry.listener == listener)
                entry.removed = true;
        return;
    }
    std::erase_if(list.entries,
                  [&](const ListenerList::Entry& entry) { return entry.listener == listener; });
}

bool CSystem::AlreadyCalled(const ListenerList& list, size_t index, uint64_t firing)
{
    const InputListener& listener = list.entries[index].listener;
    for (size_t j = 0; j < index; ++j)
        if (list.entries[j].calledInFiring == firing && list.entries[j].listener == listener)
            return true;
    return false;
}

void CSystem::Fire(InputEvent kind, int32_t a, int32_t b)
{
    if (!IsListKind(kind))
        return;
    ListenerList& list = listeners[kind];
    ++list.firingDepth;
    const uint64_t firing = ++list.firings;
    const size_t before = list.entries.size();
    // The size is read anew on every step so that records added by a listener are called in
    // this same firing; the record is copied because adding may move the vector.
    for (size_t i = 0; i < list.entries.size(); ++i) {
        if (list.entries[i].removed)
            continue;
        InputListener listener = list.entries[i].listener;
        // A listener that removes and re-adds itself (a handler switching the GUI off and on)
        // would otherwise be called again by the record it just added, without end.
        if (i >= before && AlreadyCalled(list, i, firing))
            continue;
        list.entries[i].calledInFiring = firing;
        if (listener.method)
            listener.method(listener.object, a, b);
    }
    if (--list.firingDepth == 0)
        std::erase_if(list.entries, [](const ListenerList::Entry& entry) { return entry.removed; });
}

void CSystem::FireMouseButtonDown(int32_t button)
{
    Fire(INPUT_MOUSE_BUTTON_DOWN, button, 0);
}

void CSystem::FireMouseButtonUp(int32_t button)
{
    Fire(INPUT_MOUSE_BUTTON_UP, button, 0);
}

void CSystem::FireMouseWheel(int32_t delta)
{
    Fire(INPUT_MOUSE_WHEEL, delta, 0);
}

void CSystem::FireMouseMove(int32_t dx, int32_t dy)
{
    Fire(INPUT_MOUSE_MOVE, dx, dy);
}

void CSystem::FireKeyDown(int32_t scanCode)
{
    Fire(INPUT_KEY_DOWN, scanCode, 0);
}

void CSystem::FireKeyUp(int32_t scanCode)
{
    Fire(INPUT_KEY_UP, scanCode, 0);
}

CWin32System::CWin32System()
{
    g_pSystem = this;
    log = new CLog(this);
    mainWindow = new CMainWindow(this);
    vm = new CWin32VirtualMachine(this);
    vm->RegisterObject("System", this);
}

CWin32System::~CWin32System()
{
    // Nothing may reach a system object that is gone through the global.
    if (g_pSystem == this)
        g_pSystem = nullptr;
}

void CWin32System::Sleep(uint32_t milliseconds)
{
    platform::SleepMilliseconds(milliseconds);
}

int64_t CWin32System::GetCounter()
{
    return platform::MonotonicCounter();
}

int64_t CWin32System::GetFrequency()
{
    return platform::MONOTONIC_FREQUENCY;
}

} // namespace Tamrik
