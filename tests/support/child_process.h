// Runs a program of ours as a child process, for tests that drive the real viewer.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace kestrova_test {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts program in workDir with the extra environment entries ("NAME=value"), its standard
    // error into the file stderrPath when one is given.
    bool Start(const std::string& program, const std::string& workDir,
               const std::vector<std::string>& env = {}, const std::string& stderrPath = "");
    bool Running();
    void Signal(int sig);
    // Waits up to timeoutMs; returns the exit status, or -1 when it did not end in time
    // (the child is then killed) or was ended by a signal.
    int Wait(int timeoutMs);
    pid_t Pid() const { return pid; }

private:
    pid_t pid = -1;
};

} // namespace kestrova_test
