// The script machine that runs the GUI's handler programs: memory, registers, stack, object registry.
// Where the operations live (script/):
//   virtual_machine.cpp  construction, the object registry, LoadProgram, runs and nested runs
//   instructions.cpp     the dispatch loop and the effects of the instructions (MachineInstructions)
//   native_calls.cpp     the native-call instructions nlink ... ncall, m2xm and xm2m
//   opcodes.h            the instruction set, one line per instruction
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "core/work_kind.h"
#include "script/byte_code.h"
#include "script/native_words.h"
#include "script/script_class.h"

namespace Tamrik {

class CSystem;
class CRenderDevice;
class CGUI;

// Name -> object, byte-wise ordered; the first registration of a name keeps it.
using ObjectRegistry = std::map<std::string, void*>;

// A registered object with the class it was registered as.
struct RegisteredObject {
    void* object = nullptr;
    ScriptClass objectClass = nullptr;
};

class CVirtualMachine {
public:
    explicit CVirtualMachine(CSystem* owner);
    virtual ~CVirtualMachine();
    CVirtualMachine(const CVirtualMachine&) = delete;
    CVirtualMachine& operator=(const CVirtualMachine&) = delete;

    // Runs the loaded program from the current PC until it ends.
    virtual void Run() = 0;

    // Registers object under name, unless name is taken. The class an object is registered as
    // decides which exported methods accept it: register windows as CGUI::CWindow
    // (RegisterObjectAs<CGUI::CWindow>(name, window)), whatever their widget class.
    void RegisterObject(const char* name, CSystem* object) { RegisterObjectAs<CSystem>(name, object); }
    void RegisterObject(const char* name, CRenderDevice* object) { RegisterObjectAs<CRenderDevice>(name, object); }
    void RegisterObject(const char* name, CGUI* object) { RegisterObjectAs<CGUI>(name, object); }
    // An object of no exported class: ndsa finds it, but no exported method accepts it.
    void RegisterObject(const char* name, void* object) { RegisterTyped(name, object, nullptr); }
    // Any other class must say what it is registered as: RegisterObjectAs<C>(name, object).
    template <class T>
        requires(!std::is_convertible_v<T*, CSystem*> && !std::is_convertible_v<T*, CRenderDevice*> &&
                 !std::is_convertible_v<T*, CGUI*> && !std::is_void_v<T>)
    void RegisterObject(const char* name, T* object) = delete;
    template <class T>
    void RegisterObjectAs(const char* name, T* object)
    {
        RegisterTyped(name, static_cast<void*>(object), ScriptClassOf<T>());
    }

    // Clears memory and registers and copies the program to address 0. Null, or a program longer
    // than the memory, changes nothing and answers false. Inside a native call (a handler's method
    // firing window events) the interrupted handler's state is put aside first and comes back when
    // the call returns.
    bool LoadProgram(const ByteCode* program);

    // The bound of one input event or one build, counted in units of work: an instruction is one
    // unit, and every other step that the span causes (bytes copied or logged, windows walked,
    // notified or created, tokens assembled) is charged in proportion to what it touches. Every
    // run until EndWork, nested ones included, draws on the span's units; once they are spent (or
    // the process is asked to end) the runs under way stop, no run starts and the GUI's walks stop
    // until EndWork, and one line says so. Spans nest; the outermost one sets the bound. A run
    // outside a span is an event's span of its own.
    void BeginWork(WorkKind kind);
    void EndWork();
    bool WorkSpent() const { return workSpent; }
    // Whether the run that ended last is the one blamed for hitting the bound.
    bool RunHitBound() const { return runHitBound; }
    // The one count of the span's work: charges units to the open span and answers whether its
    // work goes on. The bound is hit at once when the units run out. Outside any span (a test
    // driving a window by hand) nothing is counted and the answer is yes.
    [[nodiscard]] bool Charge(WorkUnits units);
    // Units that bytes cost to copy, compare, hash, tokenize or measure.
    static constexpr WorkUnits UnitsOfBytes(size_t bytes) { return bytes / BYTES_PER_UNIT; }
    // Units left to the open span.
    uint64_t UnitsLeft() const { return unitsLeft > 0 ? static_cast<uint64_t>(unitsLeft) : 0; }
    // Tests give the spans smaller budgets, so that a bound is reached in a few steps.
    void SetWorkUnitsForTesting(uint64_t event, uint64_t build)
    {
        eventUnits = event;
        buildUnits = build;
    }

    // The name under which object holds its registry entry, null for none.
    const char* RegisteredName(const void* object) const;

    // The class the object under name was registered as; null for none or an unknown name.
    ScriptClass RegisteredClass(const char* name) const;

    // Tests and fuzzers lower the budget of one handler run; 0 lifts it.
    void SetInstructionLimitForTesting(uint64_t limit) { instructionLimit = limit; }

    // Number of words on the stack, from the stack register's position.
    int32_t StackDepth() const;

    static constexpr uint32_t STACK_CAPACITY = 16384;         // words
    static constexpr uint32_t STACK_EMPTY = STACK_CAPACITY * 4; // r30 of an empty stack
    static constexpr int MAX_NESTED_RUNS = 32;
    // Instructions one handler run may execute, the runs nested in it included. A handler that
    // never ends would freeze the only thread; every real handler ends long before this.
    static constexpr uint64_t RUN_INSTRUCTION_BUDGET = 50'000'000;
    // The units of one input event and of the GUI's build. An event has room for a run of the
    // whole instruction budget after the GUI's own work for it: at most some 5,100,000 units, the
    // hit test of the largest GUI a 4 MiB file makes (some 3,000,000) or a press at the end of
    // the tallest shown chain whose remembered focus ancestors are stale (its hit test and a
    // climb of the whole chain), and the handler's loading. On this project's machines either
    // span ends well within a quarter of a second and two seconds.
    static constexpr WorkUnits EVENT_WORK_UNITS = 55'500'000;
    static constexpr WorkUnits BUILD_WORK_UNITS = 320'000'000;
    // Bytes copied, compared, hashed, tokenized or measured per unit.
    static constexpr size_t BYTES_PER_UNIT = 16;
    // A name entered into the registry by ndsa: the entries' nodes made and the lookups of a
    // name that may share a long start with the names around it.
    static constexpr WorkUnits NAME_ENTRY_UNITS = 512;
    // Units between two looks at whether the process is asked to end.
    static constexpr int64_t QUIT_CHECK_INTERVAL = 4096;
    static_assert((QUIT_CHECK_INTERVAL & (QUIT_CHECK_INTERVAL - 1)) == 0, "the loop masks the count with it");

    uint8_t* memory;
    uint32_t registers[32] = {};
    uint8_t stackRegister = 30;
    uint8_t flagsRegister = 29;
    uint8_t programCounter = 31;
    ObjectRegistry registry;
    // The system object creates, owns and deletes the machine, and the machine logs through it
    // (WriteToLog): a cycle of the design, kept; the machine uses nothing else of its owner.
    CSystem* owner;

protected:
    // The fetch-decode-dispatch loop shared by every implementation of Run.
    void Execute();

private:
    friend struct MachineInstructions;

    // What an instruction asks of the loop.
    enum class Step { Next, Jumped, Halt, Stop };

    struct SavedRun {
        std::unique_ptr<uint8_t[]> memory;
        std::unique_ptr<uint32_t[]> stack;
        uint32_t registers[32] = {};
        uint32_t callObject = 0;
    };

    void RegisterTyped(const char* name, void* object, ScriptClass objectClass);
    const RegisteredObject* ObjectFromWord(uint32_t word) const;
    // ndsa: the object word for name, 0 when nothing (or null) is registered under it.
    uint32_t ObjectWord(const std::string& name);
    void Log(const char* text) const;
    void ClearStack();
    void SaveInterruptedRun();
    void RestoreInterruptedRun();

    std::unique_ptr<uint32_t[]> stack;  // indexed by stack position / 4, outside the memory
    uint32_t stackLow = STACK_EMPTY;    // lowest position pushed to since the stack was cleared
    uint32_t callObject = 0;
    NativeWords words;
    std::vector<RegisteredObject> objects; // by object word, in registration order
    std::map<std::string, uint32_t> objectWords;
    // Each object's byte-wise first name in the registry.
    std::unordered_map<const void*, const std::string*> objectNames;
    // ndsa enters every unknown name it is asked for; a handler that asks for ever new names must
    // not grow the registry without end.
    static constexpr size_t MAX_NULL_ENTRIES = 4096;
    static constexpr size_t MAX_NULL_ENTRY_BYTES = 1 << 20;
    size_t nullEntries = 0;
    size_t nullEntryBytes = 0;

    int runDepth = 0;
    int nativeDepth = 0;
    std::vector<SavedRun> saved;
    size_t savedCount = 0;

    // The bound is hit; the line says why, once per span.
    void BoundHit(const char* line);
    // The instruction budget of the outermost run is spent.
    void BudgetSpent();
    // The span's units are spent.
    void UnitsSpent();
    // When the process is asked to end, stops the span's work (without a line); true then.
    bool StopIfQuitRequested();

    uint64_t instructionLimit = RUN_INSTRUCTION_BUDGET;
    uint64_t instructionsLeft = 0;

    // Units the open span has spent; runs happen only inside a span.
    uint64_t Spent() const { return workUnits - static_cast<uint64_t>(unitsLeft); }
    // A run from its first instruction to its end, inside the open span.
    void RunInSpan();

    int workDepth = 0;
    uint64_t eventUnits = EVENT_WORK_UNITS;
    uint64_t buildUnits = BUILD_WORK_UNITS;
    uint64_t workUnits = EVENT_WORK_UNITS;
    const char* workName = "this event";
    int64_t unitsLeft = EVENT_WORK_UNITS;
    bool workSpent = false;
    bool boundLogged = false;
    // The run blamed for the bound: of the runs under way when it was hit, the one that had
    // spent the most units of its own (not those of the runs nested in it).
    int hitDepth = -1; // its runDepth, -1 for none
    bool runHitBound = false;
    uint64_t runStart[MAX_NESTED_RUNS + 1] = {};  // Spent() when the run at that depth started
    uint64_t nestedWork[MAX_NESTED_RUNS + 1] = {}; // units of its nested runs that ended
};

class CWin32VirtualMachine : public CVirtualMachine {
public:
    explicit CWin32VirtualMachine(CSystem* owner);
    void Run() override;
};

} // namespace Tamrik
