// Exported methods of the system object.
#include "core/system.h"
#include "script/export_table.h"

namespace Tamrik {

std::span<const ExportRow> SystemExports()
{
    static constexpr ExportRow rows[] = {
        Export<&CSystem::Terminate>("?Terminate@CSystem@Tamrik@@QAEXXZ", PLAIN_CALL_UNITS),
    };
    return rows;
}

} // namespace Tamrik
