// Exported methods of the render device.
#include "render/render_device.h"
#include "script/export_table.h"

namespace Tamrik {

std::span<const ExportRow> RenderDeviceExports()
{
    static constexpr ExportRow rows[] = {
        Export<&CRenderDevice::SetShaderUsage>("?SetShaderUsage@CRenderDevice@Tamrik@@QAEX_N@Z", PLAIN_CALL_UNITS),
        Export<&CRenderDevice::GetShaderUsage>("?GetShaderUsage@CRenderDevice@Tamrik@@QAE_NXZ", PLAIN_CALL_UNITS),
    };
    return rows;
}

} // namespace Tamrik
