// Building the GUI from "gui/gui.xml": widgets level by level, attributes, handler programs.
#include "gui/gui.h"

#include "gui/window.h"

namespace Tamrik {

void CGUI::Load() {}

CGUI::CWindow* CGUI::CreateWindowFromXML(CXMLNode*, CWindow*)
{
    return nullptr;
}

} // namespace Tamrik
