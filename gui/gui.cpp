// The GUI manager stand-in: registered as "GUI", inactive, with no windows.
#include "gui/gui.h"

#include "core/system.h"
#include "script/virtual_machine.h"

namespace Tamrik {

CGUI::CGUI(CSystem* system) : system(system)
{
    system->vm->RegisterObject("GUI", this);
}

CGUI::~CGUI() = default;

void CGUI::Load() {}

void CGUI::SetActive(bool active)
{
    this->active = active;
}

bool CGUI::GetActive()
{
    return active;
}

} // namespace Tamrik
