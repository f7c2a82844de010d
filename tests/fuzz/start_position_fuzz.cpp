// Fuzz target: the camera's start position read from an entity text of any bytes.
#include <cmath>
#include <cstdint>
#include <string>

#include "render/camera.h"
#include "render/start_position.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The entity text reaches the rule NUL-terminated, as the level reader holds it.
    const std::string text(reinterpret_cast<const char*>(data), size);
    Tamrik::CCamera camera;
    Tamrik::ApplyStartPosition(text.c_str(), camera);
    for (float c : camera.position)
        if (!std::isfinite(c))
            __builtin_trap();
    return 0;
}
