// A real render device (OpenGL or Direct3D) on a real 800 x 600 main window under the test
// program's Xvfb, in a scratch folder that sees the runtime directory's data, and pixel read-back.
#pragma once
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "core/main_window.h"
#include "core/system.h"
#include "render/direct3d/direct3d_device.h"
#include "render/opengl/opengl_device.h"
#include "tests/support/test_paths.h"

namespace kestrova_test {

using Rgb = std::array<int, 3>;

// Links the named entries of the runtime directory into the current folder.
void LinkFromRunDir(const std::vector<std::string>& names);

// A TGA file as the project's pictures are written: 32-bit, bottom row first.
std::string MakeTGA(int width, int height, const std::vector<std::array<uint8_t, 4>>& topDownPixels);

// The GUI pictures the quad tests draw: an opaque white button and a half-transparent blue
// dialog body, 4 x 4 each.
void WriteQuadPictures();

class DeviceTestBase : public testing::Test {
protected:
    // The back-end under test, made on the test's system.
    virtual Tamrik::CRenderDevice* NewDevice() = 0;

    // Files the device may read, linked from the runtime directory before it starts.
    virtual std::vector<std::string> RunDirEntries() { return {"textures", "fonts"}; }
    // "Settings.ini" of the run; empty keeps the log off.
    virtual std::string Settings() { return ""; }
    // Writes further files into the scratch folder before the device starts.
    virtual void PrepareFiles() {}
    void SetUp() override;
    void TearDown() override;

    // The back buffer's pixel at window coordinates (origin top left), read before EndFrame.
    Rgb Pixel(int x, int y);
    // The whole back buffer, top row first, 3 bytes a pixel.
    std::vector<uint8_t> Picture();
    // Saves the back buffer as a binary PPM next to the build, for looking at by hand.
    void SavePicture(const std::string& name);

    std::unique_ptr<ScratchDir> scratch;
    Tamrik::CSystem* system = nullptr;
    Tamrik::CRenderDevice* renderDevice = nullptr;
    int width = 800;
    int height = 600;
};

template <class Device>
class DeviceTestOf : public DeviceTestBase {
protected:
    // The device under test; a test may keep frames in the back buffer by overriding EndFrame.
    virtual Device* MakeDevice() { return new Device(system); }
    Tamrik::CRenderDevice* NewDevice() override { return device = MakeDevice(); }

    Device* device = nullptr;
};

using DeviceTest = DeviceTestOf<Tamrik::COpenGLRenderDevice>;
using Direct3DDeviceTest = DeviceTestOf<Tamrik::CDirect3DRenderDevice>;

// The two devices a typed test runs on, named "OpenGL" and "Direct3D".
using Devices = testing::Types<Tamrik::COpenGLRenderDevice, Tamrik::CDirect3DRenderDevice>;
struct DeviceNames {
    template <class Device>
    static std::string GetName(int = 0)
    {
        return std::is_same_v<Device, Tamrik::COpenGLRenderDevice> ? "OpenGL" : "Direct3D";
    }
};

// Colours within a few steps of each other, as software rasterisers round.
testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance = 3);


inline void LinkFromRunDir(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        std::error_code ec;
        std::filesystem::create_symlink(RunDir() / name, name, ec);
    }
}

inline std::string MakeTGA(int width, int height, const std::vector<std::array<uint8_t, 4>>& topDownPixels)
{
    std::string bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    bytes += static_cast<char>(width & 0xFF);
    bytes += static_cast<char>(width >> 8);
    bytes += static_cast<char>(height & 0xFF);
    bytes += static_cast<char>(height >> 8);
    bytes += static_cast<char>(32);
    bytes += static_cast<char>(8);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const auto& p = topDownPixels[static_cast<size_t>(y) * width + x];
            bytes += static_cast<char>(p[2]);
            bytes += static_cast<char>(p[1]);
            bytes += static_cast<char>(p[0]);
            bytes += static_cast<char>(p[3]);
        }
    }
    return bytes;
}

inline void WriteQuadPictures()
{
    WriteFile("gui/textures/button.tga", MakeTGA(4, 4, std::vector<std::array<uint8_t, 4>>(16, {255, 255, 255, 255})));
    WriteFile("gui/textures/dialog_body.tga", MakeTGA(4, 4, std::vector<std::array<uint8_t, 4>>(16, {0, 0, 255, 128})));
}

inline void DeviceTestBase::SetUp()
{
    scratch = std::make_unique<ScratchDir>();
    LinkFromRunDir(RunDirEntries());
    PrepareFiles();
    std::string settings = Settings();
    if (!settings.empty())
        WriteFile("Settings.ini", settings);
    system = new Tamrik::CWin32System;
    ASSERT_TRUE(system->mainWindow->Create(width, height));
    renderDevice = NewDevice();
    ASSERT_TRUE(renderDevice->Create(system->mainWindow));
}

inline void DeviceTestBase::TearDown()
{
    if (renderDevice) {
        renderDevice->ReleaseLevelGeometry();
        renderDevice->ReleaseLevelTextures();
        renderDevice->ReleaseTextFont();
        renderDevice->ReleaseGUITextures();
        EXPECT_TRUE(renderDevice->Destroy());
    }
    if (system && system->mainWindow)
        system->mainWindow->Destroy();
    // The engine's order: the system object first, then the device.
    delete system;
    delete renderDevice;
    scratch.reset();
}

inline Rgb DeviceTestBase::Pixel(int x, int y)
{
    uint8_t rgb[3] = {0, 0, 0};
    glFinish();
    glReadBuffer(GL_BACK);
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

inline std::vector<uint8_t> DeviceTestBase::Picture()
{
    std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> picture(bottomUp.size());
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::copy_n(&bottomUp[(height - 1 - y) * row], row, &picture[y * row]);
    return picture;
}

inline void DeviceTestBase::SavePicture(const std::string& name)
{
    if (!std::getenv("KESTROVA_SAVE_PICTURES"))
        return;
    std::vector<uint8_t> picture = Picture();
    std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    WriteFile(BinaryDir() / (name + ".ppm"),
              header + std::string(picture.begin(), picture.end()));
}

inline testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance)
{
    for (int i = 0; i < 3; ++i) {
        if (std::abs(actual[i] - expected[i]) > tolerance) {
            return testing::AssertionFailure()
                   << "(" << actual[0] << ", " << actual[1] << ", " << actual[2] << ") is not ("
                   << expected[0] << ", " << expected[1] << ", " << expected[2] << ")";
        }
    }
    return testing::AssertionSuccess();
}

} // namespace kestrova_test
