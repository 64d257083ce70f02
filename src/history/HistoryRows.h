#pragma once

#include "ports/HistoryUi.h"
#include "ports/Journal.h"

namespace quibo {

// "bob", or "bob's channel".
QString partyLabel(const Party &party);

// How the history window shows `entry`: who did what, the words of `marks` (positions in
// the entry's text) marked in it.
HistoryRow historyRow(const HistoryEntry &entry, const QList<TextSpan> &marks = {});

} // namespace quibo
