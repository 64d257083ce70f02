#pragma once

namespace quibo {

// Frame counters of the animated popups: one per popup, kept across showings.
struct PopupCounters {
    int wink = 1;
    int kiss = 1;
    int possessed = 0;
};

} // namespace quibo
