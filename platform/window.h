// The platform window behind CMainWindow, opaque above platform/.
#pragma once

namespace platform {

struct Window;

} // namespace platform
