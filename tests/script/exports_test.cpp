// The program's own exported methods, called by handler programs on the objects that register.
#include <gtest/gtest.h>

#include "gui/gui.h"
#include "render/opengl/opengl_device.h"
#include "script/export_table.h"
#include "tests/script/script_test_support.h"

using namespace kestrova_test;

namespace {

TEST(Exports, EveryRowIsFoundByItsDecoratedName)
{
    for (const char* name : {"?Terminate@CSystem@Tamrik@@QAEXXZ", "?SetShaderUsage@CRenderDevice@Tamrik@@QAEX_N@Z",
                             "?GetShaderUsage@CRenderDevice@Tamrik@@QAE_NXZ", "?SetActive@CGUI@Tamrik@@QAEX_N@Z",
                             "?GetActive@CGUI@Tamrik@@QAE_NXZ"}) {
        const Tamrik::ExportRow* row = Tamrik::ExportFromWord(Tamrik::FindExport(name));
        ASSERT_NE(row, nullptr) << name;
        EXPECT_STREQ(row->name, name);
    }
    EXPECT_EQ(Tamrik::FindExport("?Terminate@CSystem@Tamrik@@QAEXXZ "), 0u);
}

// Addresses counted by hand: 14 instructions = 56 bytes; "Kestrova.exe" 13 bytes at 56; the two
// export names 47 and 46 bytes at 69 and 116; "RenderDevice" at 162. The handler sets the switch
// to r7 and asks for it back; it starts the other way each time.
TEST(Exports, AHandlerSwitchesTheShaderPathOnTheRenderDeviceEitherWay)
{
    for (bool wanted : {true, false}) {
        TestSystem system;
        Tamrik::COpenGLRenderDevice device(&system);
        device.shaderUsage = !wanted;
        AssembleAndRun(*system.vm, std::string(R"(
            set r1 56
            nlink r1 r2
            set r3 69
            nsa r2 r3 r4
            set r3 116
            nsa r2 r3 r5
            set r3 162
            ndsa r3 r6
            set r7 )") + (wanted ? "1" : "0") + R"(
            push r7
            nlthis r6
            ncall r4
            ncall r5
            halt
            s "Kestrova.exe"
            s "?SetShaderUsage@CRenderDevice@Tamrik@@QAEX_N@Z"
            s "?GetShaderUsage@CRenderDevice@Tamrik@@QAE_NXZ"
            s "RenderDevice"
        )");
        EXPECT_EQ(device.shaderUsage, wanted);
        EXPECT_EQ(Reg(*system.vm, 0), wanted ? 1 : 0);
        EXPECT_EQ(Reg(*system.vm, 31), 56);
    }
}

// 14 instructions = 56 bytes; "Kestrova.exe" at 56; the export names 33 and 32 bytes at 69 and 102;
// "GUI" at 134.
TEST(Exports, AHandlerSwitchesTheGUIOffAndAsksWhetherItIsActive)
{
    TestSystem system;
    Tamrik::CGUI gui(&system);
    gui.SetActive(true);
    AssembleAndRun(*system.vm, R"(
        set r1 56
        nlink r1 r2
        set r3 69
        nsa r2 r3 r4
        set r3 102
        nsa r2 r3 r5
        set r3 134
        ndsa r3 r6
        set r7 0
        push r7
        nlthis r6
        ncall r4
        ncall r5
        halt
        s "Kestrova.exe"
        s "?SetActive@CGUI@Tamrik@@QAEX_N@Z"
        s "?GetActive@CGUI@Tamrik@@QAE_NXZ"
        s "GUI"
    )");
    EXPECT_FALSE(gui.GetActive());
    EXPECT_EQ(Reg(*system.vm, 0), 0);
    EXPECT_EQ(Reg(*system.vm, 31), 56);
}

} // namespace
