// The script machine (placeholder with its registry until the machine itself is built).
#include "script/virtual_machine.h"

namespace Tamrik {

CVirtualMachine::CVirtualMachine(CSystem* owner) : owner(owner) {}
CVirtualMachine::~CVirtualMachine() = default;

void CVirtualMachine::RegisterObject(const char* name, void* object)
{
    registry.insert({name ? name : "", object});
}

CWin32VirtualMachine::CWin32VirtualMachine(CSystem* owner) : CVirtualMachine(owner) {}

void CWin32VirtualMachine::Run() {}

} // namespace Tamrik
