#pragma once
// A PostgreSQL server of the tests' own: a cluster made in a temporary folder
// and reached only through a Unix socket there, started at first use and
// stopped when the program ends. PostgreSQL refuses to run as root, so under
// root (as in CI) the cluster belongs to the unprivileged user "nobody".

#include <string>
#include <sys/types.h>

class PostgresServer {
public:
    // The one server of this program. Durable servers sync their commits (for
    // figures worth quoting); the tests' server does not, to be quick.
    static PostgresServer &shared(bool durable = false);

    // Why the server could not be started; empty when it runs.
    const std::string &problem() const { return problem_; }
    // A connection URI for a schema of its own, so every test starts empty.
    std::string freshDatabaseUri();

    ~PostgresServer();

private:
    explicit PostgresServer(bool durable);
    bool start(bool durable);

    std::string folder_;
    std::string problem_;
    pid_t pid_ = -1;
    int schemas_ = 0;
};
