// The script machine that runs the GUI's handler programs.
#pragma once
#include <map>
#include <string>

namespace Tamrik {

class CSystem;

class CVirtualMachine {
public:
    explicit CVirtualMachine(CSystem* owner);
    virtual ~CVirtualMachine();
    CVirtualMachine(const CVirtualMachine&) = delete;
    CVirtualMachine& operator=(const CVirtualMachine&) = delete;

    virtual void Run() = 0;

    // The first object registered under a name keeps it.
    void RegisterObject(const char* name, void* object);

    std::map<std::string, void*> registry;
    CSystem* owner;
};

class CWin32VirtualMachine : public CVirtualMachine {
public:
    explicit CWin32VirtualMachine(CSystem* owner);
    void Run() override;
};

} // namespace Tamrik
