// A private X server for tests that open windows: started once per test program.
#pragma once
#include <sys/types.h>

#include <string>

namespace kestrova_test {

// Starts Xvfb on a free display and points DISPLAY at it; stops it at exit.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Start(int width = 1280, int height = 1024);
    void Stop();
    const std::string& Display() const { return display; }

private:
    pid_t pid = -1;
    std::string display;
};

} // namespace kestrova_test
