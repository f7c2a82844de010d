// TEMPORARY stand-in for the system object's construction until the engine spine lands on main;
// replaced by main's core/system.cpp at merge.
#include "core/system.h"

#include "core/log.h"
#include "core/main_window.h"
#include "script/virtual_machine.h"

namespace Tamrik {

CSystem* g_pSystem = nullptr;

CSystem::CSystem() : settings(new IniMap) {}

CSystem::~CSystem()
{
    delete log;
    delete settings;
    delete vm;
}

void CSystem::Terminate()
{
    quit = true;
}

} // namespace Tamrik
