// Exported methods of the GUI manager (the window classes add their rows here).
#include "gui/gui.h"
#include "script/export_table.h"

namespace Tamrik {

std::span<const ExportRow> GUIExports()
{
    static constexpr ExportRow rows[] = {
        Export<&CGUI::SetActive>("?SetActive@CGUI@Tamrik@@QAEX_N@Z"),
        Export<&CGUI::GetActive>("?GetActive@CGUI@Tamrik@@QAE_NXZ"),
    };
    return rows;
}

} // namespace Tamrik
