#pragma once

#include <QString>

namespace quibo::animation {

// What one timer tick of an animated popup does. The counter is the popup's own and
// persists across showings; each function advances it by one tick.
struct Tick {
    int picture = 0;           // picture to show; 0 shows nothing new
    bool freezeBefore = false; // hold the popup still before showing the picture
    QString sound;             // clip to start without waiting, or empty
    bool close = false;        // the popup closes itself
};

Tick wink(int &counter);      // 16 ticks: the wink for 2, eyes open for 14
Tick kiss(int &counter);      // 22 ticks: the kiss (with its sound) for 3, rest for 19
Tick possessed(int &counter); // 13 frames; freezes before frame 2, laughs at frame 9
Tick sending(int &counter);   // 5 frames, then closes

// The picture each popup shows when it opens.
int winkOpeningPicture();
int kissOpeningPicture();
int possessedOpeningPicture();
int sendingOpeningPicture();

} // namespace quibo::animation
