// A unit-price case's GUI built on a test system with bounds far above its work, and its
// handlers run as events: the units they are charged, the process CPU time they take.
#pragma once
#include <time.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gui/gui.h"
#include "gui/xml_document.h"
#include "script/virtual_machine.h"
#include "script/xml_easm.h"
#include "tests/support/bare_device.h"
#include "tests/support/test_system.h"
#include "tests/support/unit_price_cases.h"

namespace kestrova_test {

class UnitPriceRun {
public:
    static constexpr uint64_t WORK_UNITS = 2'000'000'000;
    static constexpr uint64_t BUILD_UNITS = 4'000'000'000;

    // What runs of a handler took together.
    struct Measure {
        double cpuNs = 0;
        uint64_t units = 0;
        // Every run assembled and reached its halt with the loop's count at the expected passes.
        bool finished = false;
    };

    // With the log on, the log goes to "log.txt" in the working directory.
    explicit UnitPriceRun(const UnitPriceCase& c) : system(c.logging)
    {
        system.vm->SetWorkUnitsForTesting(WORK_UNITS, BUILD_UNITS);
        system.vm->SetInstructionLimitForTesting(0);
        system.mainWindow->width = 800;
        system.mainWindow->height = 600;
        Tamrik::CXMLDocument document;
        document.LoadBytes(c.xml.data(), c.xml.size());
        const double start = CpuNs();
        gui.Build(document.root);
        build.cpuNs = CpuNs() - start;
        build.units = BUILD_UNITS - system.vm->UnitsLeft();
        build.finished = build.units < BUILD_UNITS;
    }

    // runs events of text, each expected to end with r10 at passes.
    Measure Run(const std::string& text, int passes, int runs = 1)
    {
        Measure m;
        std::unique_ptr<Tamrik::ByteCode> program(Tamrik::CXMLeasm::Assemble(text.c_str(), system.vm));
        if (!program)
            return m;
        m.finished = true;
        Tamrik::CVirtualMachine* vm = system.vm;
        for (int run = 0; run < runs; ++run) {
            Tamrik::CSystem::WorkScope work(&system);
            const uint64_t before = vm->UnitsLeft();
            const double start = CpuNs();
            vm->LoadProgram(program.get());
            vm->Run();
            m.cpuNs += CpuNs() - start;
            m.units += before - vm->UnitsLeft();
            m.finished = m.finished && !vm->WorkSpent() && vm->registers[10] == static_cast<uint32_t>(passes) &&
                         vm->registers[vm->programCounter] != 0;
        }
        return m;
    }

    // count mouse moves, each an event of its own, with the GUI active.
    Measure Moves(int count)
    {
        Measure m;
        m.finished = true;
        gui.SetActive(true);
        for (int move = 0; move < count; ++move) {
            const double start = CpuNs();
            system.FireMouseMove(0, 0);
            m.cpuNs += CpuNs() - start;
            m.units += WORK_UNITS - system.vm->UnitsLeft();
        }
        gui.SetActive(false);
        return m;
    }

    static double CpuNs()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
    }

    // The build the run began with.
    Measure build;
    TestSystem system;
    BareDevice device{&system};
    Tamrik::CGUI gui{&system};
};

} // namespace kestrova_test
