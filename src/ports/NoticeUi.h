#pragma once

#include "ports/DialogOwner.h"
#include "ports/Smiley.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>

#include <memory>

namespace quibo {

// An open picture popup (a smiley or "Sending ..."). Behaviour decides what it shows and,
// for "Sending ...", when it closes; the user closes the others.
class PictureView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void showPicture(int pictureId) = 0;
    virtual void close() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;

Q_SIGNALS:
    void closed();
};

// The message box and the notification popups, as the user sees them.
class NoticeUi {
public:
    virtual ~NoticeUi() = default;

    // Two centred lines and "&OK"; completes when the user closes the box.
    virtual QCoro::Task<> showSystemMessage(DialogOwner owner, QString line1, QString line2) = 0;
    // Opens the smiley's popup naming the sender. It shows nothing until told.
    virtual std::unique_ptr<PictureView> openSmiley(SmileyLook look, QString fromName) = 0;
    virtual std::unique_ptr<PictureView> openSending(DialogOwner owner) = 0;
    virtual QCoro::Task<> showHint(DialogOwner owner) = 0;
    virtual QCoro::Task<> showAbout(DialogOwner owner) = 0;
    // A contact's key is not the one the user accepted: both fingerprints, to read aloud and
    // compare (`shown` empty when the account has no key now). True when the user accepts the
    // new one; declining, or closing the box, keeps the contact stopped.
    virtual QCoro::Task<bool> askNewKey(DialogOwner owner, QString handle, QString accepted,
                                        QString shown) = 0;
};

} // namespace quibo
