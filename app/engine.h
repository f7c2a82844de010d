// The engine object: builds the system, the render device and the GUI manager, and runs the
// window's life and the main loop.
#pragma once

namespace Tamrik {

class CSystem;
class CRenderDevice;
class CGUI;

class CEngine {
public:
    CEngine();
    ~CEngine();
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    void Run();

    CSystem* system = nullptr;
    CRenderDevice* device = nullptr;
    CGUI* gui = nullptr;
};

} // namespace Tamrik
