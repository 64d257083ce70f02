#pragma once

#include "base/Timings.h"
#include "notices/PopupAnimation.h"
#include "ports/NoticeUi.h"
#include "ports/SoundPlayer.h"

#include <map>
#include <memory>

namespace quibo {

// A smiley's popup: how it looks, the picture it opens with, and how it animates.
struct SmileyPopup {
    SmileyLook look;
    int firstPicture = 0;
    PopupAnimation animation;
};

// The message box, the smiley and "Sending ..." popups with their animations, the hint,
// the About box and the notification sound.
class Notices {
public:
    // `context` owns the animation timers: they stop when it is destroyed.
    Notices(QObject &context, NoticeUi &ui, SoundPlayer &sound, const Timings &timings);

    QCoro::Task<> showSystemMessage(DialogOwner owner, QString line1, QString line2);
    // Completes when the user closes the popup.
    QCoro::Task<> showSmiley(SmileyPopup popup, QString fromName);
    // Completes when the animation has closed the popup by itself.
    QCoro::Task<> showSending(DialogOwner owner);
    QCoro::Task<> showHint(DialogOwner owner);
    QCoro::Task<> showAbout(DialogOwner owner);
    // Fingerprints in their read-aloud form; see NoticeUi::askNewKey.
    QCoro::Task<bool> askNewKey(QString handle, QString accepted, QString shown);
    // Starts "mail.snd" and returns at once.
    void playNotificationSound();

private:
    QCoro::Task<> animate(PictureView &view, const PopupAnimation &animation, int &number);

    QObject &m_context;
    NoticeUi &m_ui;
    SoundPlayer &m_sound;
    const Timings &m_timings;
    // Each smiley popup's tick number, by dialog, kept across showings.
    std::map<int, int> m_tickNumbers;
    // The open popups live here, not in the tasks showing them, so they close with the client.
    // One of each at a time: the listener shows smileys, the main window "Sending ...".
    std::unique_ptr<PictureView> m_smiley;
    std::unique_ptr<PictureView> m_sending;
};

} // namespace quibo
