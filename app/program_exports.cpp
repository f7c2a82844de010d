// The program's export table: the rows of every exported class, in the order handler programs
// see them.
#include "script/export_table.h"

namespace Tamrik {

// Each defined beside its class.
std::span<const ExportRow> SystemExports();       // core/system_exports.cpp
std::span<const ExportRow> RenderDeviceExports(); // render/render_device_exports.cpp
std::span<const ExportRow> GUIExports();          // gui/gui_exports.cpp

std::span<const ExportGroup> ProgramExportGroups()
{
    static constexpr ExportGroup groups[] = {
        SystemExports,
        RenderDeviceExports,
        GUIExports,
    };
    return groups;
}

} // namespace Tamrik
