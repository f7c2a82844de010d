// Xvfb picks its own free display number and reports it through -displayfd, so parallel
// test programs never race for a display.
#include "tests/support/xvfb_environment.h"

#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kestrova_test {

XvfbServer::~XvfbServer() { Stop(); }

bool XvfbServer::Start(int width, int height)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::string fdText = std::to_string(fds[1]);
    pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        // The server must not outlive a test program that dies: it would hold the test's
        // output open and stall the test runner.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", "+extension", "GLX", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        Stop();
        return false;
    }
    display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    return true;
}

void XvfbServer::Stop()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
    }
}

} // namespace kestrova_test
