#include "notices/PopupAnimation.h"

#include "resources/ResourceCatalogue.h"

namespace quibo::animation {

namespace {
int wrapAfter(int counter, int last)
{
    return counter >= last ? 1 : counter + 1;
}
} // namespace

Tick wink(int &counter)
{
    Tick t;
    t.picture = counter <= 2 ? res::WinkClosedPicture : res::WinkOpenPicture;
    counter = wrapAfter(counter, 16);
    return t;
}

Tick kiss(int &counter)
{
    Tick t;
    t.picture = counter <= 3 ? res::KissPuckerPicture : res::KissRestPicture;
    if (counter == 1)
        t.sound = res::KissSound;
    counter = wrapAfter(counter, 22);
    return t;
}

Tick possessed(int &counter)
{
    Tick t;
    const auto frames = res::possessedFrames();
    if (counter >= 1 && counter <= frames.size())
        t.picture = frames.at(counter - 1);
    t.freezeBefore = counter == 2;
    if (counter == 9)
        t.sound = res::PossessedSound;
    counter = wrapAfter(counter, 13);
    return t;
}

Tick sending(int &counter)
{
    Tick t;
    const auto frames = res::sendingFrames();
    if (counter >= 1 && counter <= frames.size())
        t.picture = frames.at(counter - 1);
    t.close = counter > frames.size();
    ++counter;
    return t;
}

int winkOpeningPicture()
{
    return res::WinkOpenPicture;
}
int kissOpeningPicture()
{
    return res::KissRestPicture;
}
int possessedOpeningPicture()
{
    return res::possessedFrames().constFirst();
}
int sendingOpeningPicture()
{
    return res::sendingFrames().constFirst();
}

} // namespace quibo::animation
