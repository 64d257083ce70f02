#pragma once

#include "base/Timings.h"

#include <QList>
#include <QString>

namespace quibo {

// What one timer tick of an animated popup does.
struct PopupTick {
    int picture = 0;           // picture to show; 0 shows nothing new
    bool freezeBefore = false; // hold the popup still before showing the picture
    QString sound;             // clip to start without waiting, or empty
};

// How a popup animates: one tick every `period`, the ticks numbered from 1. The number is the
// popup's own and carries over from one showing to the next; after the last tick the popup
// starts again from the first, or closes.
struct PopupAnimation {
    Timings::ms Timings::*period = nullptr; // none: the popup keeps its first picture until closed
    QList<PopupTick> ticks;
    int firstNumber = 1; // of the popup's first showing; 0 shows nothing new on the first tick
    bool closesAfterLast = false;
};

// `count` ticks showing `picture`.
QList<PopupTick> holding(int picture, int count);
// One tick for each of `pictures`.
QList<PopupTick> frames(const QList<int> &pictures);

// The tick numbered `number` (nothing new outside the ticks), or the end; `number` moves on.
struct PopupStep {
    PopupTick tick;
    bool close = false;
};
PopupStep nextTick(const PopupAnimation &animation, int &number);

// "Sending ...": five frames, then it closes; every showing starts afresh.
const PopupAnimation &sendingAnimation();
int sendingOpeningPicture();

} // namespace quibo
