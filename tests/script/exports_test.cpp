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

// A handler that calls setter with value on object, then getter, leaving its answer in r0. The 14
// instructions take 56 bytes; "Kestrova.exe" (13 bytes) lies at 56, the setter's name at 69, the
// getter's and the object's behind it.
std::string SetThenGet(const std::string& setter, const std::string& getter, const std::string& object,
                       bool value)
{
    const size_t getterAt = 69 + setter.size() + 1;
    const size_t objectAt = getterAt + getter.size() + 1;
    return "set r1 56 nlink r1 r2 set r3 69 nsa r2 r3 r4 set r3 " + std::to_string(getterAt) +
           " nsa r2 r3 r5 set r3 " + std::to_string(objectAt) + " ndsa r3 r6 set r7 " + (value ? "1" : "0") +
           " push r7 nlthis r6 ncall r4 ncall r5 halt s \"Kestrova.exe\" s \"" + setter + "\" s \"" + getter +
           "\" s \"" + object + "\"";
}

// Each switch starts the other way from the value the handler sets.
TEST(Exports, AHandlerSwitchesTheShaderPathOnTheRenderDeviceEitherWay)
{
    for (bool wanted : {true, false}) {
        TestSystem system;
        Tamrik::COpenGLRenderDevice device(&system);
        device.shaderUsage = !wanted;
        AssembleAndRun(*system.vm, SetThenGet("?SetShaderUsage@CRenderDevice@Tamrik@@QAEX_N@Z",
                                              "?GetShaderUsage@CRenderDevice@Tamrik@@QAE_NXZ", "RenderDevice",
                                              wanted));
        EXPECT_EQ(device.shaderUsage, wanted);
        EXPECT_EQ(Reg(*system.vm, 0), wanted ? 1 : 0);
        EXPECT_EQ(Reg(*system.vm, 31), 56);
    }
}

TEST(Exports, AHandlerSwitchesTheGUIEitherWayAndAsksWhetherItIsActive)
{
    for (bool wanted : {false, true}) {
        TestSystem system;
        Tamrik::CGUI gui(&system);
        gui.SetActive(!wanted);
        AssembleAndRun(*system.vm, SetThenGet("?SetActive@CGUI@Tamrik@@QAEX_N@Z", "?GetActive@CGUI@Tamrik@@QAE_NXZ",
                                              "GUI", wanted));
        EXPECT_EQ(gui.GetActive(), wanted);
        EXPECT_EQ(Reg(*system.vm, 0), wanted ? 1 : 0);
        EXPECT_EQ(Reg(*system.vm, 31), 56);
    }
}

} // namespace
