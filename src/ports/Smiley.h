#pragma once

#include <QString>

namespace quibo {

enum class Smiley { Smile, Frown, Wink, Possessed, Kiss, Aahhh, Oops };

// What a smiley looks like on screen: its popup's dialog id and the picture shown first.
struct SmileyLook {
    Smiley smiley;
    int dialogId;
    int firstPicture;
    QString name; // the menu text
};

const SmileyLook &smileyLook(Smiley smiley);

} // namespace quibo
