#pragma once

#include <chrono>

namespace quibo {

// Every wait and period of the client, in one place so tests can shorten them.
struct Timings {
    using ms = std::chrono::milliseconds;

    ms connectFocusDelay{1000}; // timer 5 of the start-up dialog
    ms winkTick{140};
    ms kissTick{140};
    ms possessedTick{70};
    ms possessedFreeze{2000};
    ms sendingTick{90};

    ms peerReadWindow{1000}; // longest wait for a record's bytes
    ms listenerQuiet{1000};   // a port this long without connections returns freed memory
    ms peerConnectTimeout{4000};
    ms listenRetry{5000};
    ms channelListenRetry{5000};
    ms receiveStartDelay{2000};
    ms httpTimeout{15000};
    ms tlsHandshake{5000};    // a server silent this long after the TLS hello does not speak TLS
    ms keptConnectionIdle{30000}; // a kept connection to a secure contact closes after this without a record
    ms downloadStall{30000};  // longest silence of a file download before it counts as lost
    ms downloadRetryWindow{60000}; // a broken download is tried again this long: a sender's restart
    ms downloadRetryPause{500};    // the first pause before trying again, doubled at each try
    ms downloadRetryLongestPause{8000};
    ms progressInterval{100}; // how often a download's progress window is updated
    ms historyIndexDelay{100}; // recorded entries wait this long, to be indexed together
    ms portMappingDiscovery{2000}; // how long the search for the home router listens for answers
    ms portMappingLease{3600000};  // the lease asked of the router for a port; renewed at half
    ms portMappingFarewell{5000};  // the longest the port mapper's end waits for its removals
    ms portMappingAnswer{15000};   // the longest logon waits for the router's first answer

    // Every duration divided by `factor` (at least 1 ms), for tests.
    [[nodiscard]] Timings scaledDown(int factor) const;
};

} // namespace quibo
