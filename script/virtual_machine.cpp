// The script machine's life: construction, object registry, loading, runs and nested runs.
#include "script/virtual_machine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "platform/quit_request.h"
#include "script/machine_instructions.h"

namespace Tamrik {

CVirtualMachine::CVirtualMachine(CSystem* owner)
    : memory(new uint8_t[MACHINE_MEMORY_SIZE]()), owner(owner), stack(new uint32_t[STACK_CAPACITY]()),
      words(memory)
{
    registers[stackRegister] = MACHINE_MEMORY_SIZE;
}

CVirtualMachine::~CVirtualMachine()
{
    delete[] memory;
    registry.clear();
}

void CVirtualMachine::RegisterTyped(const char* name, void* object, ScriptClass objectClass)
{
    std::string key = name ? name : "";
    auto [entry, added] = registry.try_emplace(key, object);
    if (!added)
        return;
    const std::string*& first = objectNames[object];
    if (!first || entry->first < *first)
        first = &entry->first;
    objectWords.emplace(key, OBJECT_WORD_BASE + static_cast<uint32_t>(objects.size()));
    objects.push_back(RegisteredObject{object, objectClass});
}

ScriptClass CVirtualMachine::RegisteredClass(const char* name) const
{
    auto entry = objectWords.find(name ? name : "");
    return entry == objectWords.end() ? nullptr : objects[entry->second - OBJECT_WORD_BASE].objectClass;
}

const RegisteredObject* CVirtualMachine::ObjectFromWord(uint32_t word) const
{
    uint32_t index = word - OBJECT_WORD_BASE;
    return index < objects.size() ? &objects[index] : nullptr;
}

uint32_t CVirtualMachine::ObjectWord(const std::string& name)
{
    auto entry = objectWords.find(name);
    if (entry != objectWords.end())
        return objects[entry->second - OBJECT_WORD_BASE].object ? entry->second : 0u;
    // An unknown name is entered with no object, so a later registration under it is ignored.
    // Once the entries are full, that is all: no second look-up.
    if (nullEntries < MAX_NULL_ENTRIES && nullEntryBytes + name.size() <= MAX_NULL_ENTRY_BYTES &&
        !registry.count(name) && Charge(NAME_ENTRY_UNITS)) {
        ++nullEntries;
        nullEntryBytes += name.size();
        RegisterTyped(name.c_str(), nullptr, nullptr);
    }
    return 0;
}

int32_t CVirtualMachine::StackDepth() const
{
    return (static_cast<int32_t>(STACK_EMPTY) - static_cast<int32_t>(registers[stackRegister])) / 4;
}

void CVirtualMachine::Log(const char* text) const
{
    WriteToLog(owner, text);
}

const char* CVirtualMachine::RegisteredName(const void* object) const
{
    auto found = objectNames.find(object);
    return found == objectNames.end() ? nullptr : found->second->c_str();
}

bool CVirtualMachine::LoadProgram(const ByteCode* program)
{
    if (!program || program->size > MACHINE_MEMORY_SIZE || (program->size > 0 && !program->data))
        return false;
    SaveInterruptedRun();
    std::memset(memory, 0, MACHINE_MEMORY_SIZE);
    std::memset(registers, 0, sizeof registers);
    if (program->size > 0)
        std::memcpy(memory, program->data, program->size);
    // Once the span is spent no run starts, so the load needs no answer of its own.
    static_cast<void>(Charge(UnitsOfBytes(MACHINE_MEMORY_SIZE)));
    return true;
}

void CVirtualMachine::ClearStack()
{
    if (stackLow < STACK_EMPTY)
        std::fill(stack.get() + stackLow / 4, stack.get() + STACK_CAPACITY, 0u);
    stackLow = STACK_EMPTY;
}

// A handler's native method is firing window events: their handlers run on this machine, so the
// interrupted handler's memory, registers, call object and stack are put aside once per native
// call, and come back when it returns (RestoreInterruptedRun).
void CVirtualMachine::SaveInterruptedRun()
{
    if (nativeDepth <= static_cast<int>(savedCount))
        return;
    if (saved.size() <= savedCount) {
        saved.emplace_back();
        saved.back().memory.reset(new uint8_t[MACHINE_MEMORY_SIZE]);
        saved.back().stack.reset(new uint32_t[STACK_CAPACITY]);
    }
    SavedRun& s = saved[savedCount++];
    // Put aside whatever the count says: the interrupted run comes back from it.
    static_cast<void>(Charge(UnitsOfBytes(MACHINE_MEMORY_SIZE + STACK_CAPACITY * sizeof(uint32_t))));
    std::memcpy(s.memory.get(), memory, MACHINE_MEMORY_SIZE);
    std::memcpy(s.stack.get(), stack.get(), STACK_CAPACITY * sizeof(uint32_t));
    std::memcpy(s.registers, registers, sizeof registers);
    s.callObject = callObject;
}

void CVirtualMachine::RestoreInterruptedRun()
{
    if (static_cast<int>(savedCount) <= nativeDepth)
        return;
    SavedRun& s = saved[--savedCount];
    std::memcpy(memory, s.memory.get(), MACHINE_MEMORY_SIZE);
    std::memcpy(stack.get(), s.stack.get(), STACK_CAPACITY * sizeof(uint32_t));
    std::memcpy(registers, s.registers, sizeof registers);
    callObject = s.callObject;
    stackLow = 0; // the restored stack may hold words anywhere
}

void CVirtualMachine::BeginWork(WorkKind kind)
{
    if (workDepth++ > 0)
        return;
    workUnits = kind == WorkKind::Build ? buildUnits : eventUnits;
    workName = kind == WorkKind::Build ? "the GUI build" : "this event";
    unitsLeft = static_cast<int64_t>(workUnits);
    workSpent = false;
    boundLogged = false;
}

void CVirtualMachine::EndWork()
{
    if (workDepth == 0 || --workDepth > 0)
        return;
    workSpent = false;
}

bool CVirtualMachine::Charge(WorkUnits units)
{
    if (workDepth == 0)
        return true;
    if (workSpent)
        return false;
    unitsLeft -= static_cast<int64_t>(std::min<uint64_t>(units, uint64_t{1} << 62));
    if (unitsLeft <= 0)
        UnitsSpent();
    else
        StopIfQuitRequested();
    return !workSpent;
}

void CVirtualMachine::Execute()
{
    runHitBound = false;
    // Handlers whose methods fire events whose handlers fire events...: refuse to go deeper than
    // any real GUI needs instead of running out of native stack.
    if (runDepth >= MAX_NESTED_RUNS)
        return;
    // A run outside a span is an event's span of its own.
    const bool ownSpan = workDepth == 0;
    if (ownSpan)
        BeginWork(WorkKind::Event);
    if (runDepth == 0)
        instructionsLeft = instructionLimit;
    if (!workSpent)
        RunInSpan();
    if (ownSpan)
        EndWork();
}

void CVirtualMachine::RunInSpan()
{
    SaveInterruptedRun();
    ++runDepth;
    runStart[runDepth] = Spent();
    nestedWork[runDepth] = 0;
    callObject = 0;
    ClearStack();
    registers[stackRegister] = STACK_EMPTY;
    MachineInstructions::Loop(*this);
    ClearStack();
    runHitBound = hitDepth == runDepth;
    if (runHitBound)
        hitDepth = -1;
    nestedWork[runDepth - 1] += Spent() - runStart[runDepth];
    --runDepth;
}

void CVirtualMachine::BoundHit(const char* line)
{
    workSpent = true;
    if (hitDepth < 0) {
        uint64_t most = 0;
        for (int depth = 1; depth <= runDepth; ++depth) {
            const uint64_t end = depth < runDepth ? runStart[depth + 1] : Spent();
            const uint64_t own = end - runStart[depth] - nestedWork[depth];
            if (hitDepth < 0 || own > most) {
                hitDepth = depth;
                most = own;
            }
        }
    }
    // The interrupted outer runs stop too; one line says why.
    if (boundLogged)
        return;
    boundLogged = true;
    WriteToLog(owner, line, true);
}

void CVirtualMachine::BudgetSpent()
{
    char line[96];
    std::snprintf(line, sizeof line, "Warning: handler program stopped after %llu instructions.\n",
                  static_cast<unsigned long long>(instructionLimit));
    BoundHit(line);
}

void CVirtualMachine::UnitsSpent()
{
    // Already stopped for another reason (the process is ending).
    if (workSpent)
        return;
    char line[128];
    std::snprintf(line, sizeof line, "Warning: work of %s stopped after %llu units.\n", workName,
                  static_cast<unsigned long long>(workUnits));
    BoundHit(line);
}

bool CVirtualMachine::StopIfQuitRequested()
{
    // The program is to end: the rest of the span's work would only delay it.
    if (!platform::QuitRequested())
        return false;
    workSpent = true;
    unitsLeft = std::min<int64_t>(unitsLeft, 0); // the loop stops at its next instruction
    return true;
}

CWin32VirtualMachine::CWin32VirtualMachine(CSystem* owner) : CVirtualMachine(owner) {}

void CWin32VirtualMachine::Run()
{
    Execute();
}

} // namespace Tamrik
