// Child processes for end-to-end tests.
#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace kestrova_test {

ChildProcess::~ChildProcess()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool ChildProcess::Run(const std::function<int()>& body)
{
    pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        // Ends with the test program, whatever way that ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        _exit(body());
    }
    return true;
}

bool ChildProcess::Start(const std::string& program, const std::string& workDir,
                         const std::vector<std::string>& env, const std::string& stderrPath)
{
    return StartWith({program}, workDir, env, stderrPath);
}

bool ChildProcess::StartWith(const std::vector<std::string>& arguments, const std::string& workDir,
                             const std::vector<std::string>& env, const std::string& stderrPath)
{
    return Run([&] {
        if (chdir(workDir.c_str()) != 0)
            return 126;
        for (const auto& e : env)
            putenv(const_cast<char*>(e.c_str()));
        if (!stderrPath.empty()) {
            const int fd = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, STDERR_FILENO) < 0)
                return 126;
            close(fd);
        }
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        return 127;
    });
}

bool ChildProcess::Running()
{
    if (pid <= 0)
        return false;
    return waitpid(pid, nullptr, WNOHANG) == 0;
}

void ChildProcess::Signal(int sig)
{
    if (pid > 0)
        kill(pid, sig);
}

int ChildProcess::Wait(int timeoutMs)
{
    if (pid <= 0)
        return -1;
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        timespec ts{0, 10 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
    return -1;
}

} // namespace kestrova_test
