// SPDX-License-Identifier: MIT
#include "PostgresServer.h"

#include "Ser2net.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace morlith::test {
namespace {

bool HasServerPrograms(const fs::path &folder)
{
    return ::access((folder / "initdb").c_str(), X_OK) == 0 && ::access((folder / "pg_ctl").c_str(), X_OK) == 0;
}

std::string Tail(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    return all.size() > 3000 ? all.substr(all.size() - 3000) : all;
}

} // namespace

std::string TPostgresServer::BinFolder()
{
    if (const char *given = std::getenv("MORLITH_PG_BIN"); given && HasServerPrograms(given))
        return given;
    // Debian keeps each major version's programs in a folder of its own; the newest wins.
    std::vector<fs::path> versions;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator("/usr/lib/postgresql", error))
        if (HasServerPrograms(entry.path() / "bin"))
            versions.push_back(entry.path() / "bin");
    std::sort(versions.begin(), versions.end(), [](const fs::path &a, const fs::path &b) {
        const std::string va = a.parent_path().filename(), vb = b.parent_path().filename();
        return std::make_pair(va.size(), va) < std::make_pair(vb.size(), vb);
    });
    if (!versions.empty())
        return versions.back();
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');)
        if (!folder.empty() && HasServerPrograms(folder))
            return folder;
    return "";
}

TPostgresServer::TPostgresServer()
{
    FBin = BinFolder();
    if (FBin.empty())
        throw std::runtime_error("PostgreSQL's server programs (initdb, pg_ctl) are not installed");
    std::random_device seed;
    FFolder = (fs::temp_directory_path() / ("morlith-pg-" + std::to_string(seed()))).string();
    fs::create_directory(FFolder);
    FUid = ::getuid();
    FGid = ::getgid();
    if (FUid == 0) {
        const passwd *user = ::getpwnam("postgres");
        if (!user)
            user = ::getpwnam("nobody");
        if (!user)
            throw std::runtime_error("running as root, and neither the user postgres nor nobody is there");
        FUid = user->pw_uid;
        FGid = user->pw_gid;
        if (::chown(FFolder.c_str(), FUid, FGid) != 0)
            throw std::runtime_error("cannot give " + FFolder + " to the server's user");
    }
    ::chmod(FFolder.c_str(), 0700);
    const std::string password = "morlith-test-" + std::to_string(seed());
    std::ofstream(FFolder + "/password") << password << "\n";
    FPasswordFile = FFolder + "/pgpass";
    std::ofstream(FPasswordFile) << "127.0.0.1:*:*:morlith:" << password << "\n";
    ::chmod(FPasswordFile.c_str(), 0600);
    if (::getuid() == 0 && ::chown((FFolder + "/password").c_str(), FUid, FGid) != 0)
        throw std::runtime_error("cannot give the password file to the server's user");
    if (Run("initdb", "-D data -U morlith -E UTF8 --no-locale --no-sync --auth-local=trust "
                      "--auth-host=scram-sha-256 --pwfile=password",
            "initdb.log") != 0)
        throw std::runtime_error("initdb failed:\n" + Tail(FFolder + "/initdb.log"));
    FPort = FreeTcpPort();
    Start();
}

TPostgresServer::~TPostgresServer()
{
    if (FRunning)
        Stop(false);
    std::error_code ignored;
    fs::remove_all(FFolder, ignored);
}

int TPostgresServer::Run(const std::string &program, const std::string &args, const std::string &output) const
{
    const std::string command = "cd '" + FFolder + "' && exec '" + FBin + "/" + program + "' " + args + " >>'" +
                                FFolder + "/" + output + "' 2>&1";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(FGid) != 0 || ::setuid(FUid) != 0))
            _exit(126);
        ::setenv("LC_ALL", "C", 1);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

void TPostgresServer::Start()
{
    // fsync off: the tests stop the server as a crash would, not the machine; the WAL a commit
    // waits for is still written before the commit returns (synchronous_commit stays on).
    const std::string options = "-c listen_addresses=127.0.0.1 -p " + std::to_string(FPort) + " -k '" + FFolder +
                                "' -c fsync=off -c full_page_writes=off -c max_connections=120";
    if (Run("pg_ctl", "-D data -l server.log -w -t 60 -o \"" + options + "\" start", "pg_ctl.log") != 0)
        throw std::runtime_error("the test's PostgreSQL did not start:\n" + Tail(FFolder + "/server.log"));
    FRunning = true;
}

void TPostgresServer::Stop(bool immediate)
{
    Run("pg_ctl", std::string("-D data -w -t 60 stop -m ") + (immediate ? "immediate" : "fast"), "pg_ctl.log");
    FRunning = false;
}

std::string TPostgresServer::NewDatabase()
{
    const std::string name = "t" + std::to_string(++FDatabases);
    Sql("postgres", "CREATE DATABASE " + name);
    return name;
}

std::string TPostgresServer::SocketUri(const std::string &database) const
{
    return "postgresql://morlith@/" + database + "?host=" + FFolder + "&port=" + std::to_string(FPort);
}

std::string TPostgresServer::TcpUri(const std::string &database, uint16_t port) const
{
    return "postgresql://morlith@127.0.0.1:" + std::to_string(port ? port : FPort) + "/" + database;
}

void TPostgresServer::Sql(const std::string &database, const std::string &sql) const
{
    const std::string script = FFolder + "/script.sql";
    std::ofstream(script) << sql << "\n";
    ::chmod(script.c_str(), 0644);
    if (Run("psql", "-X -q -v ON_ERROR_STOP=1 -h '" + FFolder + "' -p " + std::to_string(FPort) + " -U morlith -d " +
                        database + " -f script.sql",
            "psql.log") != 0)
        throw std::runtime_error("psql failed on: " + sql + "\n" + Tail(FFolder + "/psql.log"));
}

TPostgresServer &SharedServer()
{
    static std::unique_ptr<TPostgresServer> server = std::make_unique<TPostgresServer>();
    return *server;
}

} // namespace morlith::test
