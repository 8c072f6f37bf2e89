#pragma once
// A server program run as its own process, as scripts start it: its output is
// read for the "listening on" line, and it is stopped with a signal.

#include <sys/types.h>

#include <string>
#include <vector>

class ServerProcess {
public:
    ServerProcess(const std::string &program, std::vector<std::string> args);
    ~ServerProcess();  // kills it if it still runs
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // The port from the "listening on 127.0.0.1:PORT" line, or 0.
    int listeningPort();
    std::string errorText();
    void signal(int sig);

    static constexpr int kStillRunning = -1000;
    // Waits up to ten seconds for the end; the exit status, or -signal.
    int exitCode();

private:
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    int status_ = kStillRunning;
};
