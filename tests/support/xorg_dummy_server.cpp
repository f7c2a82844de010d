// Xorg is told its display number (never :0, which may be a real screen) and reports through
// -displayfd when it is ready; a taken number makes it exit at once, and the next is tried.
#include "tests/support/xorg_dummy_server.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "tests/support/xvfb_environment.h"

namespace kestrova_test {

namespace {

const char* const CONFIG = R"(Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 64000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 24.0-25.0, 31.0-32.0, 37.5-38.5, 48.0-49.0, 63.5-64.5
    VertRefresh 59.0-62.0
    Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
    Modeline "1024x768" 64.93 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
    Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
    Modeline "640x480" 25.20 640 656 752 800 480 490 492 525 -hsync -vsync
    Modeline "512x384" 15.75 512 528 576 640 384 385 388 400 -hsync +vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1280x1024" "1024x768" "800x600" "640x480" "512x384"
        Virtual 1280 1024
    EndSubSection
EndSection
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
EndSection
)";

} // namespace

XorgDummyServer::~XorgDummyServer() { Stop(); }

bool XorgDummyServer::Start()
{
    char pattern[] = "/tmp/kestrova-xorg-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    folder = pattern;
    std::ofstream(folder + "/xorg.conf") << CONFIG;
    for (int number = 60; number < 160; ++number)
        if (StartOn(number))
            return true;
    Stop();
    return false;
}

bool XorgDummyServer::StartOn(int number)
{
    std::string name = ":" + std::to_string(number);
    std::string reported;
    pid = LaunchXServer({"Xorg", name, "-config", folder + "/xorg.conf", "-logfile",
                         folder + "/xorg.log", "-noreset", "-nolisten", "tcp", "-sharevts",
                         "-novtswitch"},
                        30000, true, &reported);
    if (reported != std::to_string(number)) {
        EndXServer(pid);
        pid = -1;
        return false;
    }
    display = name;
    return true;
}

void XorgDummyServer::Stop()
{
    EndXServer(pid);
    pid = -1;
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        folder.clear();
    }
    display.clear();
}

} // namespace kestrova_test
