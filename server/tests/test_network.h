// Hosts for tests that spread programs over several machines: network
// namespaces joined by one bridge, with addresses from the documentation
// range 192.0.2.0/24. The bridge lives in a namespace of its own, the "hub",
// which is also where the test's own clients run; the machine's namespace is
// never changed. Needs root (ip netns). Every namespace is deleted at the end,
// and those a killed earlier run left behind are deleted at the start.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tessary::server {

class TestNetwork {
public:
    static constexpr const char* kNetwork = "192.0.2.";
    static constexpr int kHubAddress = 254;  // the clients' address

    TestNetwork() {
        removeOrphans();
        if (geteuid() != 0) {
            failure_ = "network namespaces need root";
            return;
        }
        const std::string hub = name("hub");
        if (!add("hub") || !ip("-n " + hub + " link add br0 type bridge") || !ip("-n " + hub + " link set br0 up") ||
            !ip("-n " + hub + " addr add " + address(kHubAddress) + "/24 dev br0")) {
            failure_ = "cannot create network namespaces with a bridge (ip netns add, ip link add type bridge)";
        }
    }

    ~TestNetwork() {
        leaveHub();
        for (auto it = created_.rbegin(); it != created_.rend(); ++it) ip("netns del " + *it);
    }
    TestNetwork(const TestNetwork&) = delete;
    TestNetwork& operator=(const TestNetwork&) = delete;

    // Empty when the network is ready; otherwise why not, for GTEST_SKIP.
    const std::string& failure() const { return failure_; }

    static std::string address(int host) { return kNetwork + std::to_string(host); }
    std::string name(const std::string& host) const { return "tsnet" + std::to_string(getpid()) + "-" + host; }

    // A host `host` on the bridge at address(number).
    bool addHost(const std::string& host, int number) {
        const std::string ns = name(host), hub = name("hub"), port = "v" + std::to_string(number);
        if (add(host) && ip("-n " + hub + " link add " + port + " type veth peer name eth0 netns " + ns) &&
            ip("-n " + hub + " link set " + port + " master br0 up") &&
            ip("-n " + ns + " addr add " + address(number) + "/24 dev eth0") && ip("-n " + ns + " link set eth0 up"))
            return true;
        failure_ = "cannot join namespace " + ns + " to the bridge";
        return false;
    }

    // The words that run a program on `host`.
    std::vector<std::string> launcher(const std::string& host) const { return {"ip", "netns", "exec", name(host)}; }

    // Moves the calling thread into the hub, where the test's clients open
    // their sockets, until leaveHub() or the end.
    bool enterHub() {
        if (original_ < 0) original_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int hub = ::open(("/run/netns/" + name("hub")).c_str(), O_RDONLY | O_CLOEXEC);
        const bool entered = hub >= 0 && setns(hub, CLONE_NEWNET) == 0;
        if (hub >= 0) ::close(hub);
        return entered;
    }

    void leaveHub() {
        if (original_ < 0) return;
        setns(original_, CLONE_NEWNET);
        ::close(original_);
        original_ = -1;
    }

private:
    static bool ip(const std::string& args) { return std::system(("ip " + args + " >/dev/null 2>&1").c_str()) == 0; }

    bool add(const std::string& host) {
        const std::string ns = name(host);
        if (!ip("netns add " + ns)) return false;
        created_.push_back(ns);
        return ip("-n " + ns + " link set lo up");
    }

    // Namespaces of runs whose process is gone.
    static void removeOrphans() {
        FILE* list = ::popen("ip netns list 2>/dev/null", "r");
        if (!list) return;
        char line[256];
        std::vector<std::string> orphans;
        while (std::fgets(line, sizeof line, list)) {
            std::string ns(line);
            ns = ns.substr(0, ns.find_first_of(" \n"));
            if (ns.rfind("tsnet", 0) != 0) continue;
            const int pid = std::atoi(ns.c_str() + 5);
            if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) orphans.push_back(ns);
        }
        ::pclose(list);
        for (const std::string& ns : orphans) ip("netns del " + ns);
    }

    std::vector<std::string> created_;
    std::string failure_;
    int original_ = -1;
};

}  // namespace tessary::server
