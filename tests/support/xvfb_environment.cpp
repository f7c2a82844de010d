// Xvfb picks its own free display number and reports it through -displayfd, so parallel
// test programs never race for a display.
#include "tests/support/xvfb_environment.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kestrova_test {

pid_t LaunchXServer(const std::vector<std::string>& args, int timeoutMs, bool quiet,
                    std::string* number)
{
    number->clear();
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    std::vector<std::string> words = args;
    words.push_back("-displayfd");
    words.push_back(std::to_string(fds[1]));
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        // The server must not outlive a test program that dies: it would hold the test's
        // output open and stall the test runner.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        if (quiet) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, timeoutMs) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        *number += c;
    }
    close(fds[0]);
    return pid;
}

void EndXServer(pid_t pid)
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

XvfbServer::~XvfbServer() { Stop(); }

bool XvfbServer::Start(int width, int height)
{
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::string number;
    pid = LaunchXServer({"Xvfb", "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
                         "+extension", "GLX"},
                        20000, false, &number);
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
    EndXServer(pid);
    pid = -1;
}

} // namespace kestrova_test
