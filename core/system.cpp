// The system object: construction and destruction orders, the timer, the quit flag and the
// seven input-listener lists.
#include "core/system.h"

#include <utility>

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

void CSystem::BeginWork(WorkKind kind)
{
    if (workDepth++ > 0)
        return;
    if (log)
        log->BeginSpan();
    if (vm)
        vm->BeginWork(kind);
}

void CSystem::EndWork()
{
    if (workDepth == 0 || --workDepth > 0)
        return;
    if (vm)
        vm->EndWork();
    if (log)
        log->EndSpan();
}

bool CSystem::WorkSpent() const
{
    return vm && vm->WorkSpent();
}

bool CSystem::ChargeWork(WorkUnits units)
{
    return !vm || vm->Charge(units);
}

void CSystem::AddListener(InputEvent kind, InputListener listener)
{
    if (!IsListKind(kind))
        return;
    ListenerList& list = listeners[kind];
    ListenerList::Identity& identity = list.identities[listener];
    const uint64_t firing = list.cursors.empty() ? 0 : list.firings;
    auto place = list.records.insert(list.records.end(), {listener, &identity, firing});
    identity.places.push_back(place);
    // A firing that has walked past the last record goes on with this one.
    for (ListenerList::Records::iterator* cursor : list.cursors)
        if (*cursor == list.records.end())
            *cursor = place;
}

void CSystem::RemoveListener(InputEvent kind, InputListener listener)
{
    if (!IsListKind(kind))
        return;
    RemoveListenerFromList(listeners[kind], listener);
}

void CSystem::RemoveListenerFromList(ListenerList& list, InputListener listener)
{
    auto found = list.identities.find(listener);
    if (found == list.identities.end())
        return;
    for (ListenerList::Records::iterator place : found->second.places) {
        for (ListenerList::Records::iterator* cursor : list.cursors)
            if (*cursor == place)
                ++*cursor;
        list.records.erase(place);
    }
    found->second.places.clear();
    // While the list fires, the identity remembers that the record was called in this firing;
    // the outermost firing drops it at its end.
    if (list.cursors.empty())
        list.identities.erase(found);
    else
        list.emptyIdentities = true;
}

size_t CSystem::ListenerCount(InputEvent kind) const
{
    return IsListKind(kind) ? listeners[kind].records.size() : 0;
}

void CSystem::Fire(InputEvent kind, int32_t a, int32_t b)
{
    if (!IsListKind(kind))
        return;
    WorkScope work(this);
    ListenerList& list = listeners[kind];
    const uint64_t firing = ++list.firings;
    ListenerList::Records::iterator next = list.records.begin();
    list.cursors.push_back(&next);
    while (next != list.records.end()) {
        const ListenerList::Record& record = *next++;
        // A listener that removes and re-adds itself (a handler switching the GUI off and on)
        // would otherwise be called again by the record it just added, without end.
        if (record.addedInFiring == firing && record.identity->calledInFiring == firing)
            continue;
        record.identity->calledInFiring = firing;
        // Copied: the call may remove the record.
        const InputListener listener = record.listener;
        if (listener.method)
            listener.method(listener.object, a, b);
    }
    list.cursors.pop_back();
    if (list.cursors.empty() && std::exchange(list.emptyIdentities, false))
        std::erase_if(list.identities, [](const auto& entry) { return entry.second.places.empty(); });
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
