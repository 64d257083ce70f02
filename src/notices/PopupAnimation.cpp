#include "notices/PopupAnimation.h"

#include "resources/ResourceCatalogue.h"

namespace quibo {

QList<PopupTick> holding(int picture, int count)
{
    return QList<PopupTick>(count, PopupTick{picture, false, {}});
}

QList<PopupTick> frames(const QList<int> &pictures)
{
    QList<PopupTick> ticks;
    for (const int picture : pictures)
        ticks.append({picture, false, {}});
    return ticks;
}

PopupStep nextTick(const PopupAnimation &animation, int &number)
{
    const qsizetype last = animation.ticks.size();
    PopupStep step;
    if (number >= 1 && number <= last)
        step.tick = animation.ticks.at(number - 1);
    step.close = animation.closesAfterLast && number > last;
    number = number >= last && !animation.closesAfterLast ? 1 : number + 1;
    return step;
}

const PopupAnimation &sendingAnimation()
{
    static const PopupAnimation sending{&Timings::sendingTick, frames(res::sendingFrames()), 1, true};
    return sending;
}

int sendingOpeningPicture()
{
    return res::sendingFrames().constFirst();
}

} // namespace quibo
