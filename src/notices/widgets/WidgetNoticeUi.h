#pragma once

#include "ports/NoticeUi.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <map>

class QDialog;
class QWidget;

namespace quibo {

class CSendingDlg;
class CSmileyDlg;

// The message box and the popups as real windows. Each smiley popup, made at its first
// showing, and "Sending ..." exist for the rest of the run and are reused; the message box, the hint and the
// About box are made for one showing and deleted when they close.
class WidgetNoticeUi : public QObject, public NoticeUi {
    Q_OBJECT
public:
    // `mainWindow` is the window that DialogOwner::MainWindow dialogs are modal to.
    explicit WidgetNoticeUi(QWidget *mainWindow = nullptr, QObject *parent = nullptr);
    ~WidgetNoticeUi() override;

    QCoro::Task<> showSystemMessage(DialogOwner owner, QString line1, QString line2) override;
    std::unique_ptr<PictureView> openSmiley(SmileyLook look, QString fromName) override;
    std::unique_ptr<PictureView> openSending(DialogOwner owner) override;
    QCoro::Task<> showHint(DialogOwner owner) override;
    QCoro::Task<> showAbout(DialogOwner owner) override;
    QCoro::Task<bool> askNewKey(DialogOwner owner, QString handle, QString accepted, QString shown) override;

    // The global popups; a smiley's by its dialog id.
    CSmileyDlg &smileyPopup(int dialogId);
    CSendingDlg &sendingPopup();

private:
    QCoro::Task<> showUntilClosed(QDialog *dialog, DialogOwner owner);

    QPointer<QWidget> m_mainWindow;
    std::map<int, QPointer<CSmileyDlg>> m_smileys;
    QPointer<CSendingDlg> m_sending;
    QList<QPointer<QDialog>> m_oneShot; // open message boxes, hints and About boxes
};

} // namespace quibo
