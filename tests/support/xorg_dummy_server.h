// A private Xorg with the dummy video driver and several display modes, for tests that switch
// modes (Xvfb offers only one). Needs the rights to start Xorg (root).
#pragma once
#include <sys/types.h>

#include <string>

namespace kestrova_test {

class XorgDummyServer {
public:
    XorgDummyServer() = default;
    ~XorgDummyServer();
    XorgDummyServer(const XorgDummyServer&) = delete;
    XorgDummyServer& operator=(const XorgDummyServer&) = delete;

    // Starts on the first free display from :60 up with a 1280 x 1024 screen that also offers
    // 1024 x 768 at 59.94 Hz, 800 x 600 and 640 x 480 at 60 Hz and 512 x 384; does not touch
    // DISPLAY.
    bool Start();
    void Stop();
    // ":61" and the like.
    const std::string& Display() const { return display; }

private:
    bool StartOn(int number);

    pid_t pid = -1;
    std::string display;
    std::string folder;
};

} // namespace kestrova_test
