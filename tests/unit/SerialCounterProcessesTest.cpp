// SPDX-License-Identifier: MIT
// The serial counter shared by several processes: every number given once, also when processes
// are killed at any moment, and a counter the user may not replace.

#include "ScratchFolder.h"
#include "SerialCounter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <map>
#include <poll.h>
#include <pwd.h>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morlith;

namespace {

constexpr int kProcesses = 8;
constexpr int kReservationsEach = 200;
constexpr uint64_t kFirstSerial = 70000;

// A process reserving `count` numbers from `counter`, each written to its pipe as a line once it
// is given, so that the test knows every number handed out before a kill.
struct TReserver {
    pid_t Pid = -1;
    int Pipe = -1;
    std::string Pending;
    int Given = 0; // numbers read from its pipe

    TReserver(const std::string &counter, int count)
    {
        int ends[2];
        if (pipe(ends) != 0)
            return;
        Pid = fork();
        if (Pid == 0) {
            close(ends[0]);
            TSerialCounter serials(counter);
            for (int i = 0; i < count; ++i) {
                uint64_t serial = 0;
                TFailure failure;
                if (!serials.Reserve(serial, failure))
                    _exit(1);
                const std::string line = std::to_string(serial) + "\n";
                if (write(ends[1], line.data(), line.size()) != ssize_t(line.size()))
                    _exit(2);
            }
            _exit(0);
        }
        close(ends[1]);
        Pipe = ends[0];
    }
    // Reads what the pipe holds into `given`; false at its end.
    bool Read(std::vector<uint64_t> &given)
    {
        char buffer[512];
        const ssize_t n = read(Pipe, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        Pending.append(buffer, size_t(n));
        for (size_t end; (end = Pending.find('\n')) != std::string::npos; Pending.erase(0, end + 1)) {
            given.push_back(std::stoull(Pending.substr(0, end)));
            ++Given;
        }
        return true;
    }
    // Waits for the end; the exit status, or 128 + the signal.
    int Finish()
    {
        close(Pipe);
        int status = 0;
        waitpid(Pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

class SerialCounterProcesses : public ::testing::TestWithParam<int> {
protected:
    std::string Counter() const { return FFolder.File("serials.counter"); }
    uint64_t CounterValue() const
    {
        std::ifstream in(Counter());
        uint64_t value = 0;
        in >> value;
        return value;
    }

    test::TScratchFolder FFolder;
};

// Eight processes reserve 200 numbers each; with `kills` of them killed at random moments (and
// started again for what they still owe) along the way. Every number handed out is handed out
// once; a killed process may take with it the one number it had reserved and not yet handed out,
// and no more.
TEST_P(SerialCounterProcesses, EveryNumberIsGivenOnceAndAKillLosesAtMostOne)
{
    const int kills = GetParam();
    std::ofstream(Counter()) << kFirstSerial << "\n";
    std::mt19937 random(unsigned(kills) * 7919u + 1);
    std::vector<std::unique_ptr<TReserver>> reservers;
    std::vector<int> owed(kProcesses, kReservationsEach);
    for (int i = 0; i < kProcesses; ++i)
        reservers.push_back(std::make_unique<TReserver>(Counter(), kReservationsEach));
    std::vector<uint64_t> given;
    int killed = 0;
    // Kills fall 30 to 110 numbers apart, so that they land at every step of a reservation.
    size_t nextKill = 30 + random() % 80;
    int running = kProcesses;
    while (running > 0) {
        std::vector<pollfd> entries;
        for (const auto &reserver : reservers)
            entries.push_back({reserver ? reserver->Pipe : -1, POLLIN, 0});
        ASSERT_GT(poll(entries.data(), entries.size(), 60000), 0) << "the reservers stopped making progress";
        for (int i = 0; i < kProcesses; ++i) {
            if (!reservers[i] || !(entries[i].revents & (POLLIN | POLLHUP)))
                continue;
            if (reservers[i]->Read(given))
                continue;
            const int status = reservers[i]->Finish();
            owed[i] -= reservers[i]->Given;
            reservers[i].reset();
            ASSERT_TRUE(status == 0 || status == 128 + SIGKILL) << "a reserver failed with status " << status;
            if (owed[i] > 0)
                reservers[i] = std::make_unique<TReserver>(Counter(), owed[i]);
            else
                --running;
        }
        if (killed < kills && given.size() >= nextKill) {
            const int victim = int(random() % kProcesses);
            if (reservers[victim]) {
                // A few microseconds on, so that the kill lands anywhere in a reservation.
                usleep(useconds_t(random() % 3000));
                kill(reservers[victim]->Pid, SIGKILL);
                ++killed;
                nextKill = given.size() + 30 + random() % 80;
            }
        }
    }

    ASSERT_EQ(given.size(), size_t(kProcesses * kReservationsEach));
    const std::set<uint64_t> distinct(given.begin(), given.end());
    EXPECT_EQ(distinct.size(), given.size()) << "a number was given twice";
    const uint64_t next = CounterValue();
    EXPECT_EQ(*distinct.begin() >= kFirstSerial, true);
    EXPECT_LT(*distinct.rbegin(), next);
    const uint64_t lost = next - kFirstSerial - given.size();
    EXPECT_LE(lost, uint64_t(killed)) << "numbers were lost beyond one per kill";
    EXPECT_EQ(killed, kills);
}

INSTANTIATE_TEST_SUITE_P(Kills, SerialCounterProcesses, ::testing::Values(0, 12),
                         [](const ::testing::TestParamInfo<int> &kills) {
                             return kills.param == 0 ? std::string("NoneKilled") : "Killed" + std::to_string(kills.param);
                         });

TEST(SerialCounterPermission, ACounterTheUserMayNotReplaceIsAPermissionFailure)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to reserve as an unprivileged user";
    const passwd *nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        GTEST_SKIP() << "no user 'nobody' on this machine";
    test::TScratchFolder folder;
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    const std::string counter = folder.File("serials.counter");
    std::ofstream(counter) << "12\n";
    const pid_t child = fork();
    if (child == 0) {
        if (setuid(nobody->pw_uid) != 0)
            _exit(100);
        TSerialCounter serials(counter);
        uint64_t serial = 0;
        TFailure failure;
        _exit(serials.Reserve(serial, failure) ? 101 : int(failure.Kind));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), int(TFailureKind::fkPermission));
    std::ifstream in(counter);
    uint64_t value = 0;
    in >> value;
    EXPECT_EQ(value, 12u);
}

} // namespace
