// A private X server for tests that open windows: started once per test program.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace kestrova_test {

// Starts the X server program with args and "-displayfd"; returns its process (-1 when it
// could not be started) and the display number it reports once it is ready, empty when it
// ended or stayed silent for timeoutMs. The server dies with the test program. quiet sends
// its output to /dev/null.
pid_t LaunchXServer(const std::vector<std::string>& args, int timeoutMs, bool quiet,
                    std::string* number);
// Ends a server that LaunchXServer started and waits for it.
void EndXServer(pid_t pid);

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
