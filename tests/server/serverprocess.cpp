#include "serverprocess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char **environ;

namespace {

std::string readLine(int fd)
{
    std::string line;
    char c;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 10000) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

}  // namespace

ServerProcess::ServerProcess(const std::string &program, std::vector<std::string> args)
{
    args.insert(args.begin(), program);
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
}

ServerProcess::~ServerProcess()
{
    if (pid_ > 0 && exitCode() == kStillRunning) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(out_);
    close(err_);
}

int ServerProcess::listeningPort()
{
    const std::string line = readLine(out_);
    const std::string prefix = "listening on 127.0.0.1:";
    return line.starts_with(prefix) ? std::stoi(line.substr(prefix.size())) : 0;
}

std::string ServerProcess::errorText()
{
    return readLine(err_);
}

void ServerProcess::signal(int sig)
{
    if (pid_ > 0)
        kill(pid_, sig);
}

int ServerProcess::exitCode()
{
    if (status_ != kStillRunning || pid_ <= 0)
        return status_;
    for (int i = 0; i < 1000; ++i) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_)
            return status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return kStillRunning;
}
