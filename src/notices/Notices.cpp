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

Notices::Notices(QObject &context, NoticeUi &ui, SoundPlayer &sound, const Timings &timings)
    : m_context(context), m_ui(ui), m_sound(sound), m_timings(timings)
{
}

QCoro::Task<> Notices::showSystemMessage(DialogOwner owner, QString line1, QString line2)
{
    co_await m_ui.showSystemMessage(owner, std::move(line1), std::move(line2));
}

QCoro::Task<bool> Notices::askNewKey(QString handle, QString accepted, QString shown)
{
    co_return co_await m_ui.askNewKey(DialogOwner::Desktop, std::move(handle), std::move(accepted),
                                      std::move(shown));
}

QCoro::Task<> Notices::showSmiley(SmileyPopup popup, QString fromName)
{
    m_smiley = m_ui.openSmiley(popup.look, std::move(fromName));
    PictureView &view = *m_smiley;
    view.showPicture(popup.firstPicture);
    int &number = m_tickNumbers.try_emplace(popup.look.dialogId, popup.animation.firstNumber).first->second;
    if (popup.animation.period)
        co_await animate(view, popup.animation, number);
    else
        co_await untilClosed(view);
    m_smiley.reset();
}

QCoro::Task<> Notices::showSending(DialogOwner owner)
{
    m_sending = m_ui.openSending(owner);
    m_sending->showPicture(sendingOpeningPicture());
    int number = 1; // every showing starts afresh
    co_await animate(*m_sending, sendingAnimation(), number);
    m_sending.reset();
}

QCoro::Task<> Notices::animate(PictureView &view, const PopupAnimation &animation, int &number)
{
    while (view.isOpen()) {
        co_await sleepFor(&m_context, m_timings.*animation.period);
        if (!view.isOpen())
            break;
        const PopupStep step = nextTick(animation, number);
        if (step.tick.freezeBefore) {
            co_await sleepFor(&m_context, m_timings.possessedFreeze);
            if (!view.isOpen())
                break;
        }
        if (step.close) {
            view.close();
            break;
        }
        if (step.tick.picture != 0)
            view.showPicture(step.tick.picture);
        if (!step.tick.sound.isEmpty())
            m_sound.playAsync(step.tick.sound);
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
