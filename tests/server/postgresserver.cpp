#include "postgresserver.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char *kPort = "5432";  // only names the socket file in our folder

// The newest installed server's programs, or an empty path.
fs::path serverPrograms()
{
    fs::path best;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator("/usr/lib/postgresql", ec))
        if (fs::exists(entry.path() / "bin" / "postgres") && entry.path().filename() > best.parent_path().filename())
            best = entry.path() / "bin";
    return best;
}

struct User {
    uid_t uid = 0;
    gid_t gid = 0;
};

// Starts a program with its output in a log file, as the given user when root.
pid_t spawn(const std::vector<std::string> &args, const std::string &log, const User *as)
{
    // Everything the child needs is made before the fork: other threads may
    // hold the allocator's lock at that moment.
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
    }
    if (as && (setgroups(0, nullptr) != 0 || setgid(as->gid) != 0 || setuid(as->uid) != 0))
        _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
}

std::string conninfo(const std::string &folder)
{
    return "host=" + folder + " port=" + kPort + " user=postgres dbname=postgres";
}

}  // namespace

PostgresServer &PostgresServer::shared(bool durable)
{
    static PostgresServer server(durable);
    return server;
}

PostgresServer::PostgresServer(bool durable)
{
    if (!start(durable) && problem_.empty())
        problem_ = "unknown failure";
}

bool PostgresServer::start(bool durable)
{
    const fs::path bin = serverPrograms();
    if (bin.empty()) {
        problem_ = "no PostgreSQL server is installed (Debian's postgresql package; scripts/bootstrap adds it)";
        return false;
    }
    std::string pattern = (fs::temp_directory_path() / "qvpg-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        problem_ = "cannot make a temporary folder";
        return false;
    }
    folder_ = pattern;
    User nobody;
    const User *as = nullptr;
    if (geteuid() == 0) {
        const passwd *pw = getpwnam("nobody");
        if (!pw) {
            problem_ = "running as root and there is no user \"nobody\" to run PostgreSQL as";
            return false;
        }
        nobody = {pw->pw_uid, pw->pw_gid};
        as = &nobody;
        if (chown(folder_.c_str(), nobody.uid, nobody.gid) != 0) {
            problem_ = "cannot give the temporary folder to \"nobody\"";
            return false;
        }
    }
    const std::string data = folder_ + "/data", log = folder_ + "/server.log";
    int status = 0;
    const pid_t init = spawn({(bin / "initdb").string(), "-D", data, "-U", "postgres", "-A", "trust", "-E", "UTF8",
                              "--no-sync", "--no-instructions"},
                             folder_ + "/initdb.log", as);
    if (init < 0 || waitpid(init, &status, 0) != init || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        problem_ = "initdb failed (see " + folder_ + "/initdb.log)";
        folder_.clear();  // kept for the log
        return false;
    }
    std::vector<std::string> args = {(bin / "postgres").string(), "-D", data, "-k", folder_, "-p", kPort,
                                     "-c", "listen_addresses=", "-c", "max_connections=200"};
    if (!durable)
        args.insert(args.end(), {"-c", "fsync=off", "-c", "synchronous_commit=off", "-c", "full_page_writes=off"});
    pid_ = spawn(args, log, as);
    for (int i = 0; i < 300; ++i) {
        if (PQping(conninfo(folder_).c_str()) == PQPING_OK)
            return true;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            problem_ = "the server ended at start (see " + log + ")";
            folder_.clear();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    problem_ = "the server did not answer within 30 s (see " + log + ")";
    return false;
}

PostgresServer::~PostgresServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGINT);  // fast shutdown: ends the sessions, no waiting for clients
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    if (!folder_.empty())
        fs::remove_all(folder_, ec);
}

std::string PostgresServer::freshDatabaseUri()
{
    std::string schema = "t";  // piece by piece: GCC 12 misreports "literal + string" (-Wrestrict)
    schema += std::to_string(++schemas_);
    std::unique_ptr<PGconn, decltype(&PQfinish)> c(PQconnectdb(conninfo(folder_).c_str()), &PQfinish);
    PQclear(PQexec(c.get(), ("CREATE SCHEMA " + schema).c_str()));
    return "postgresql:///postgres?host=" + folder_ + "&port=" + kPort + "&user=postgres&options=-csearch_path%3D" +
           schema;
}
