#include "SoakAttack.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

namespace quibo::soak {

namespace {

using Clock = std::chrono::steady_clock;

// A blocking connection with send and connect time-outs of 2 s; -1 on failure.
int connectFrom(int sourceIndex, const std::string &address, std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    timeval limit{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    source.sin_addr.s_addr = htonl(0x7f000100u + 1u + static_cast<unsigned>(sourceIndex % 200)); // 127.0.1.x
    ::bind(fd, reinterpret_cast<sockaddr *>(&source), sizeof source);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&target), sizeof target) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void sendAll(int fd, const std::vector<char> &bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return; // the other side cut it short, as it should
        sent += static_cast<std::size_t>(n);
    }
}

} // namespace

AttackCounts attackPort(const std::string &address, std::uint16_t port, int connections,
                        std::chrono::milliseconds silent, unsigned seed)
{
    AttackCounts counts;
    const Clock::time_point start = Clock::now();
    std::mt19937 random(seed);
    std::vector<char> flood(256 * 1024, 'F');
    std::deque<std::pair<int, Clock::time_point>> silentOnes;
    const auto closeDue = [&](Clock::time_point now) {
        while (!silentOnes.empty() && silentOnes.front().second <= now) {
            ::close(silentOnes.front().first);
            silentOnes.pop_front();
        }
    };
    for (int i = 0; i < connections; ++i) {
        closeDue(Clock::now());
        const int fd = connectFrom(i, address, port);
        ++counts.opened;
        if (fd < 0) {
            ++counts.failed;
            continue;
        }
        switch (i % 4) {
        case 0: {
            std::vector<char> noise(std::uniform_int_distribution<std::size_t>(1, 600)(random));
            for (char &c : noise)
                c = static_cast<char>(random());
            sendAll(fd, noise);
            ::close(fd);
            break;
        }
        case 1:
            ::close(fd);
            break;
        case 2:
            silentOnes.emplace_back(fd, Clock::now() + silent);
            break;
        default:
            sendAll(fd, flood);
            ::close(fd);
            break;
        }
    }
    while (!silentOnes.empty()) {
        std::this_thread::sleep_until(silentOnes.front().second);
        closeDue(Clock::now());
    }
    counts.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return counts;
}

long residentKiB(long pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

int openDescriptors(long pid)
{
    std::error_code error;
    int count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count;
}

void raiseDescriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace quibo::soak
