#include "base/Timings.h"

#include <algorithm>

namespace quibo {

Timings Timings::scaledDown(int factor) const
{
    const auto scale = [factor](ms d) { return std::max(ms{1}, d / std::max(1, factor)); };
    Timings t = *this;
    for (ms *d : {&t.connectFocusDelay, &t.winkTick, &t.kissTick, &t.possessedTick, &t.possessedFreeze,
                  &t.sendingTick, &t.peerReadWindow, &t.listenerQuiet, &t.peerConnectTimeout, &t.listenRetry,
                  &t.channelListenRetry, &t.receiveStartDelay, &t.httpTimeout, &t.tlsHandshake, &t.keptConnectionIdle,
                  &t.downloadStall, &t.progressInterval, &t.historyIndexDelay, &t.portMappingDiscovery,
                  &t.portMappingLease, &t.portMappingFarewell, &t.portMappingAnswer, &t.downloadRetryWindow,
                  &t.downloadRetryPause, &t.downloadRetryLongestPause})
        *d = scale(*d);
    return t;
}

} // namespace quibo
