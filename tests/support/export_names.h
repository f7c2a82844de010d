// The decorated names of the program's exports, as handler programs call them.
#pragma once

namespace kestrova_test {

namespace exports {
inline const char* const SET_ACTIVE = "?SetActive@CGUI@Tamrik@@QAEX_N@Z";
inline const char* const GET_ACTIVE = "?GetActive@CGUI@Tamrik@@QAE_NXZ";
inline const char* const IS_VISIBLE = "?IsVisible@CWindow@CGUI@Tamrik@@QAE_NXZ";
inline const char* const IS_DRAGGABLE = "?IsDraggable@CWindow@CGUI@Tamrik@@QAE_NXZ";
inline const char* const SET_DRAGGABLE = "?SetDraggable@CWindow@CGUI@Tamrik@@UAEX_N@Z";
inline const char* const SET_TEXT_C = "?SetText@CWindow@CGUI@Tamrik@@UAEXPBD@Z";
inline const char* const SET_TEXT_STRING =
    "?SetText@CWindow@CGUI@Tamrik@@UAEXABV?$basic_string@DU?$char_traits@D@std@@V?$allocator@D@2@@std@@@Z";
inline const char* const GET_TEXT =
    "?GetText@CWindow@CGUI@Tamrik@@QAEABV?$basic_string@DU?$char_traits@D@std@@V?$allocator@D@2@@std@@XZ";
inline const char* const SET_TEXT_LAYOUT = "?SetTextLayout@CWindow@CGUI@Tamrik@@UAEXH@Z";
inline const char* const GET_TEXT_LAYOUT = "?GetTextLayout@CWindow@CGUI@Tamrik@@QAEHXZ";
inline const char* const SET_TEXT_COLOR = "?SetTextColor@CWindow@CGUI@Tamrik@@UAEXEEE@Z";
inline const char* const GET_TEXT_COLOR = "?GetTextColor@CWindow@CGUI@Tamrik@@QAEPBEXZ";
inline const char* const SET_VISIBLE = "?SetVisible@CWindow@CGUI@Tamrik@@QAEX_N@Z";
inline const char* const SET_POSITION = "?SetPosition@CWindow@CGUI@Tamrik@@QAEXHH@Z";
inline const char* const TRANSLATE = "?Translate@CWindow@CGUI@Tamrik@@QAEXHH@Z";
inline const char* const SET_SIZE = "?SetSize@CWindow@CGUI@Tamrik@@UAEXHH@Z";
inline const char* const STRETCH = "?Stretch@CWindow@CGUI@Tamrik@@UAEXHH@Z";
inline const char* const IS_CHECKED = "?IsChecked@CCheckBox@CGUI@Tamrik@@QAE_NXZ";
inline const char* const GET_CHECKED_INDEX = "?GetCheckedIndex@CRadioButtonGroup@CGUI@Tamrik@@QAEHXZ";
inline const char* const TERMINATE = "?Terminate@CSystem@Tamrik@@QAEXXZ";
inline const char* const SET_SHADER_USAGE = "?SetShaderUsage@CRenderDevice@Tamrik@@QAEX_N@Z";
inline const char* const GET_SHADER_USAGE = "?GetShaderUsage@CRenderDevice@Tamrik@@QAE_NXZ";
} // namespace exports

} // namespace kestrova_test
