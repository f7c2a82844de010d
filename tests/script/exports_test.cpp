// The program's own exported methods, called by handler programs on the objects that register.
#include <gtest/gtest.h>

#include "gui/gui.h"
#include "render/opengl/opengl_device.h"
#include "script/export_table.h"
#include "tests/script/script_test_support.h"
#include "tests/support/export_names.h"
#include "tests/support/handler_text.h"

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

// A handler that sets value through setter on object, then asks getter, leaving the answer in r0.
HandlerText SetThenGet(const std::string& setter, const std::string& getter, const std::string& object, bool value)
{
    HandlerText h;
    h.Call(setter, object, {value ? 1 : 0}).Call(getter, object);
    return h;
}

// Each switch starts the other way from the value the handler sets. A run that reaches its halt
// stops behind it.
TEST(Exports, AHandlerSwitchesTheShaderPathOnTheRenderDeviceEitherWay)
{
    for (bool wanted : {true, false}) {
        TestSystem system;
        Tamrik::COpenGLRenderDevice device(&system);
        device.shaderUsage = !wanted;
        const HandlerText h = SetThenGet("?SetShaderUsage@CRenderDevice@Tamrik@@QAEX_N@Z",
                                         "?GetShaderUsage@CRenderDevice@Tamrik@@QAE_NXZ", "RenderDevice", wanted);
        AssembleAndRun(*system.vm, h.Text());
        EXPECT_EQ(device.shaderUsage, wanted);
        EXPECT_EQ(Reg(*system.vm, 0), wanted ? 1 : 0);
        EXPECT_EQ(Reg(*system.vm, 31), static_cast<int32_t>(h.Here() + 4));
    }
}

TEST(Exports, AHandlerSwitchesTheGUIEitherWayAndAsksWhetherItIsActive)
{
    for (bool wanted : {false, true}) {
        TestSystem system;
        Tamrik::CGUI gui(&system);
        gui.SetActive(!wanted);
        const HandlerText h = SetThenGet(exports::SET_ACTIVE, exports::GET_ACTIVE, "GUI", wanted);
        AssembleAndRun(*system.vm, h.Text());
        EXPECT_EQ(gui.GetActive(), wanted);
        EXPECT_EQ(Reg(*system.vm, 0), wanted ? 1 : 0);
        EXPECT_EQ(Reg(*system.vm, 31), static_cast<int32_t>(h.Here() + 4));
    }
}

} // namespace
