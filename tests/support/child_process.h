// Runs a program, or a test's own code, as a child process that is waited for with a bound.
#pragma once
#include <sys/types.h>

#include <functional>
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
    // Runs body in a forked child instead of a program; its result is the child's exit status.
    bool Run(const std::function<int()>& body);
    // Starts the program arguments[0], found on PATH, with the rest as its arguments.
    bool StartWith(const std::vector<std::string>& arguments, const std::string& workDir,
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
