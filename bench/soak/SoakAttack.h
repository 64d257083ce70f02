#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace quibo::soak {

struct AttackCounts {
    int opened = 0;
    int failed = 0; // connections refused or timed out
    double seconds = 0;
};

// Opens `connections` connections to 127.0.0.x:`port` from spread loopback sources, in turn of
// four kinds: random bytes, empty, silent for `silent`, and a flood of 256 KiB. Blocks until
// the last silent one is closed.
AttackCounts attackPort(const std::string &address, std::uint16_t port, int connections,
                        std::chrono::milliseconds silent, unsigned seed);

// The resident memory in KiB and the open descriptors of process `pid`.
long residentKiB(long pid);
int openDescriptors(long pid);
// Lets this process open as many descriptors as its hard limit allows.
void raiseDescriptorLimit();

} // namespace quibo::soak
