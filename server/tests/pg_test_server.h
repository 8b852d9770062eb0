// A throw-away PostgreSQL server for tests: initdb in a fresh folder, a
// Unix socket in that folder only (no TCP unless a network namespace is
// given), stopped and removed at the end. The server refuses to run as root,
// so under root it runs as `nobody`.
#pragma once

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace tessary::server {

class PgTestServer {
public:
    // Where the server runs: by default in the caller's namespace on the
    // Unix socket alone. Given a network namespace (ip netns) and an address
    // of it, the server runs there and also listens on that address, port
    // 5432, trusting every host of its /24 network.
    struct Place {
        std::string netns;
        std::string address;
    };

    explicit PgTestServer(Place place = {}) : place_(std::move(place)) { start(); }
    ~PgTestServer() { stop(); }
    PgTestServer(const PgTestServer&) = delete;
    PgTestServer& operator=(const PgTestServer&) = delete;

    bool running() const { return running_; }
    // Why the server is not running, for GTEST_SKIP.
    const std::string& failure() const { return failure_; }

    // A connection string for database `name` (created by createDatabase).
    std::string connection(const std::string& name = "postgres") const {
        return "host=" + dir_.path() + " user=tessary dbname=" + name;
    }
    // The same over TCP, as the other hosts reach a server in a namespace.
    std::string tcpConnection(const std::string& name) const {
        return "host=" + place_.address + " port=5432 user=tessary dbname=" + name + " connect_timeout=5";
    }
    const std::string& socketDir() const { return dir_.path(); }

    // A fresh empty database; false when it could not be made.
    bool createDatabase(const std::string& name) {
        return psql("CREATE DATABASE " + name + " TEMPLATE template0 ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C'");
    }
    bool dropDatabase(const std::string& name) { return psql("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)"); }

    // Stops the server at once (as a crash would) and starts it again.
    bool restart() { return ctl("-m immediate restart -o \"" + serverOptions() + "\"") == 0; }
    bool stopNow() { return ctl("-m immediate stop") == 0; }
    bool startAgain() { return ctl("start -o \"" + serverOptions() + "\"") == 0; }

private:
    static std::string findBin() {
        std::error_code ignored;
        std::string best;
        for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ignored)) {
            const std::string bin = (entry.path() / "bin").string();
            if (std::filesystem::exists(bin + "/pg_ctl") && bin > best) best = bin;
        }
        return best;
    }

    std::string asOwner(const std::string& command) const {
        const std::string inPlace = place_.netns.empty() ? "" : "ip netns exec " + place_.netns + " ";
        return inPlace + (geteuid() == 0 ? "runuser -u nobody -- " + command : command);
    }

    std::string serverOptions() const {
        return "-k " + dir_.path() + " -c listen_addresses='" + place_.address + "' -F -c max_connections=60";
    }

    int ctl(const std::string& args) const {
        return std::system(asOwner(bin_ + "/pg_ctl -D " + data_ + " -w -t 30 -l " + dir_.path() + "/log " + args +
                                   " >/dev/null 2>&1")
                               .c_str());
    }

    bool psql(const std::string& sql) const {
        const std::string command = bin_ + "/psql -X -q -v ON_ERROR_STOP=1 -h " + dir_.path() +
                                    " -U tessary -d postgres -c \"" + sql + "\" >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    void start() {
        bin_ = findBin();
        if (bin_.empty()) {
            failure_ = "no PostgreSQL server programs under /usr/lib/postgresql (Debian package postgresql)";
            return;
        }
        data_ = dir_.path() + "/data";
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || chown(dir_.path().c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
                failure_ = "cannot hand the server folder to the user nobody";
                return;
            }
        }
        const std::string initdb = asOwner(bin_ + "/initdb -D " + data_ +
                                           " -U tessary --auth=trust -E SQL_ASCII --locale=C -N >" + dir_.path() +
                                           "/initdb.log 2>&1");
        if (std::system(initdb.c_str()) != 0) {
            failure_ = "initdb failed (see " + dir_.path() + "/initdb.log)";
            return;
        }
        if (!place_.address.empty()) {
            const std::string network = place_.address.substr(0, place_.address.rfind('.')) + ".0/24";
            std::ofstream(data_ + "/pg_hba.conf", std::ios::app) << "host all all " << network << " trust\n";
        }
        if (ctl("start -o \"" + serverOptions() + "\"") != 0) {
            failure_ = "pg_ctl start failed";
            return;
        }
        running_ = true;
    }

    void stop() {
        if (running_) ctl("-m immediate stop");
        running_ = false;
    }

    Place place_;
    TempDir dir_;
    std::string bin_;
    std::string data_;
    bool running_ = false;
    std::string failure_;
};

// One server for the whole test program, a fresh database per test.
inline PgTestServer& pgServer() {
    static PgTestServer server;
    return server;
}

// Gives a test a fresh database, dropped at the end; open() is empty when
// the server cannot run here (the test then skips with pgServer().failure()).
class PgDatabase {
public:
    std::string open() {
        if (!pgServer().running()) return {};
        static int counter = 0;
        name_ = "t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        if (!pgServer().createDatabase(name_)) return {};
        return pgServer().connection(name_);
    }
    ~PgDatabase() {
        if (!name_.empty()) pgServer().dropDatabase(name_);
    }

private:
    std::string name_;
};

}  // namespace tessary::server
