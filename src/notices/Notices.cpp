#include "notices/Notices.h"

#include "base/Await.h"
#include "base/Wakeup.h"
#include "resources/ResourceCatalogue.h"

namespace quibo {

namespace {
QCoro::Task<> untilClosed(PictureView &view)
{
    if (view.isOpen())
        co_await nextSignal(&view, &PictureView::closed);
}
} // namespace

Notices::Notices(QObject &context, NoticeUi &ui, SoundPlayer &sound, const Timings &timings,
                 PopupCounters &counters)
    : m_context(context), m_ui(ui), m_sound(sound), m_timings(timings), m_counters(counters)
{
}

QCoro::Task<> Notices::showSystemMessage(DialogOwner owner, QString line1, QString line2)
{
    co_await m_ui.showSystemMessage(owner, std::move(line1), std::move(line2));
}

QCoro::Task<> Notices::showSmiley(Smiley smiley, QString fromName)
{
    m_smiley = m_ui.openSmiley(smiley, std::move(fromName));
    PictureView &view = *m_smiley;
    view.showPicture(smileyLook(smiley).firstPicture);
    switch (smiley) {
    case Smiley::Wink:
        co_await animate(view, m_timings.winkTick, &animation::wink, m_counters.wink);
        break;
    case Smiley::Kiss:
        co_await animate(view, m_timings.kissTick, &animation::kiss, m_counters.kiss);
        break;
    case Smiley::Possessed:
        co_await animate(view, m_timings.possessedTick, &animation::possessed, m_counters.possessed);
        break;
    default:
        co_await untilClosed(view);
        break;
    }
    m_smiley.reset();
}

QCoro::Task<> Notices::showSending(DialogOwner owner)
{
    m_sending = m_ui.openSending(owner);
    m_sending->showPicture(animation::sendingOpeningPicture());
    int counter = 1; // every showing starts afresh
    co_await animate(*m_sending, m_timings.sendingTick, &animation::sending, counter);
    m_sending.reset();
}

QCoro::Task<> Notices::animate(PictureView &view, Timings::ms period, Step step, int &counter)
{
    while (view.isOpen()) {
        co_await sleepFor(&m_context, period);
        if (!view.isOpen())
            break;
        const animation::Tick tick = step(counter);
        if (tick.freezeBefore) {
            co_await sleepFor(&m_context, m_timings.possessedFreeze);
            if (!view.isOpen())
                break;
        }
        if (tick.close) {
            view.close();
            break;
        }
        if (tick.picture != 0)
            view.showPicture(tick.picture);
        if (!tick.sound.isEmpty())
            m_sound.playAsync(tick.sound);
    }
}

QCoro::Task<> Notices::showHint(DialogOwner owner)
{
    co_await m_ui.showHint(owner);
}

QCoro::Task<> Notices::showAbout(DialogOwner owner)
{
    co_await m_ui.showAbout(owner);
}

void Notices::playNotificationSound()
{
    m_sound.playAsync(res::NotificationSound);
}

} // namespace quibo
