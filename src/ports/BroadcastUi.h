#pragma once

#include "base/Limits.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <array>

namespace quibo {

// The data members of the one broadcast dialog object: five lines, top to bottom. A line the
// next showing does not fill keeps its text.
struct BroadcastMessageFields {
    std::array<QString, limits::BroadcastLines> lines;
};

// "Quibo32 - Broadcast Message": the directory's message of the day, shown during logon.
class BroadcastUi {
public:
    virtual ~BroadcastUi() = default;
    // Shows the five lines and "OK" in an independent window; completes when the user closes it.
    virtual QCoro::Task<> showBroadcastMessage(BroadcastMessageFields fields) = 0;
};

} // namespace quibo
