// SPDX-License-Identifier: MIT
#pragma once
// A PostgreSQL server of the tests' own: initdb and pg_ctl in a temporary folder, listening on a
// local socket in that folder and on a free loopback port, stopped and removed at the end. The
// server runs as an ordinary user: the one running the tests, or, when that is root (which the
// server refuses), the "postgres" system user or else "nobody", which the started programs
// become (setgid, setuid) before they run. The local socket trusts its users; the loopback port
// asks for the password of the superuser "morlith", which PasswordFile holds in pgpass form.

#include <cstdint>
#include <string>

namespace morlith::test {

class TPostgresServer {
public:
    // Starts the server; throws std::runtime_error with the server's log when it does not come up.
    TPostgresServer();
    ~TPostgresServer();
    TPostgresServer(const TPostgresServer &) = delete;
    TPostgresServer &operator=(const TPostgresServer &) = delete;

    // The folder of initdb and pg_ctl: MORLITH_PG_BIN, the newest /usr/lib/postgresql/*/bin, or a
    // folder of PATH; "" when PostgreSQL is not installed.
    static std::string BinFolder();

    // Stops the server, at once (as a crash would) with `immediate`; starts it again.
    void Stop(bool immediate);
    void Start();

    uint16_t Port() const { return FPort; }
    // A new, empty database of the superuser, for one test.
    std::string NewDatabase();
    // The address of `database` through the local socket (trusted) or the loopback port
    // `port` (0: the server's own; a password needed).
    std::string SocketUri(const std::string &database) const;
    std::string TcpUri(const std::string &database, uint16_t port = 0) const;
    // A pgpass file holding the superuser's password for 127.0.0.1, any port.
    const std::string &PasswordFile() const { return FPasswordFile; }
    // Runs `sql` in `database` as the superuser (psql); throws when it fails.
    void Sql(const std::string &database, const std::string &sql) const;

private:
    // Runs `program` from the bin folder with `args` as the server's user; its exit status.
    int Run(const std::string &program, const std::string &args, const std::string &output) const;

    std::string FFolder;
    std::string FBin;
    std::string FPasswordFile;
    uint16_t FPort = 0;
    unsigned FUid = 0;
    unsigned FGid = 0;
    bool FRunning = false;
    int FDatabases = 0;
};

// The server every test of the binary shares: started at the first call, stopped at exit.
TPostgresServer &SharedServer();

} // namespace morlith::test
