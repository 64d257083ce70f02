#include "notices/widgets/WidgetNoticeUi.h"

#include "notices/widgets/CAboutDlg.h"
#include "notices/widgets/CHintDlg.h"
#include "notices/widgets/CSendingDlg.h"
#include "notices/widgets/CSmileyDlg.h"
#include "notices/widgets/CSystemMessageDlg.h"
#include "notices/widgets/PopupPictureView.h"

#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace quibo {

WidgetNoticeUi::WidgetNoticeUi(QWidget *mainWindow, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow)
{
    m_sending = new CSendingDlg;
}

WidgetNoticeUi::~WidgetNoticeUi()
{
    // The popups may have a parent by now (the main window); delete whichever still exist.
    for (const auto &smiley : m_smileys)
        delete smiley.second.data();
    delete m_sending.data();
    for (const QPointer<QDialog> &dialog : std::as_const(m_oneShot))
        delete dialog.data();
}

CSmileyDlg &WidgetNoticeUi::smileyPopup(int dialogId)
{
    // Made again, too, if it went down with the main window it belonged to.
    QPointer<CSmileyDlg> &popup = m_smileys[dialogId];
    if (!popup)
        popup = new CSmileyDlg(dialogId);
    return *popup;
}

CSendingDlg &WidgetNoticeUi::sendingPopup()
{
    // Made again if it went down with the main window it belonged to.
    if (!m_sending)
        m_sending = new CSendingDlg;
    return *m_sending;
}

std::unique_ptr<PictureView> WidgetNoticeUi::openSmiley(SmileyLook look, QString fromName)
{
    CSmileyDlg &popup = smileyPopup(look.dialogId);
    popup.setFromName(fromName);
    const auto showing = popup.beginShowing(DialogOwner::Desktop, m_mainWindow);
    return std::make_unique<PopupPictureView>(popup, showing);
}

std::unique_ptr<PictureView> WidgetNoticeUi::openSending(DialogOwner owner)
{
    CSendingDlg &popup = sendingPopup();
    const auto showing = popup.beginShowing(owner, m_mainWindow);
    return std::make_unique<PopupPictureView>(popup, showing);
}

QCoro::Task<> WidgetNoticeUi::showSystemMessage(DialogOwner owner, QString line1, QString line2)
{
    auto *box = new CSystemMessageDlg;
    box->setLines(line1, line2);
    co_await showUntilClosed(box, owner);
}

QCoro::Task<> WidgetNoticeUi::showHint(DialogOwner owner)
{
    co_await showUntilClosed(new CHintDlg, owner);
}

QCoro::Task<> WidgetNoticeUi::showAbout(DialogOwner owner)
{
    co_await showUntilClosed(new CAboutDlg, owner);
}

QCoro::Task<bool> WidgetNoticeUi::askNewKey(DialogOwner owner, QString handle, QString accepted,
                                            QString shown)
{
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Quibo32 - %1 Has A New Key").arg(handle),
                                tr("The directory now gives another key for %1 than the one you accepted. "
                                   "Nothing is sent to %1 or taken from %1 until you accept the new key.")
                                    .arg(handle));
    const QString none = tr("(none: the account has no key now, and would be spoken to in clear)");
    box->setInformativeText(tr("Accepted before:\n%1\n\nNow:\n%2\n\nAsk %3 to read their fingerprint "
                               "aloud (Config > My Key Fingerprint) and compare.")
                                .arg(accepted, shown.isEmpty() ? none : shown, handle));
    QPushButton *accept = box->addButton(tr("&Accept New Key"), QMessageBox::AcceptRole);
    box->setDefaultButton(box->addButton(tr("&Keep Stopped"), QMessageBox::RejectRole));
    auto chosen = std::make_shared<bool>(false);
    connect(box, &QMessageBox::buttonClicked, this,
            [chosen, accept](QAbstractButton *button) { *chosen = button == accept; });
    co_await showUntilClosed(box, owner);
    co_return *chosen;
}

QCoro::Task<> WidgetNoticeUi::showUntilClosed(QDialog *dialog, DialogOwner owner)
{
    m_oneShot.removeAll(nullptr);
    m_oneShot.append(dialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    placeDialog(*dialog, owner, m_mainWindow);
    dialog->show();
    co_await untilClosed(this, dialog);
}

} // namespace quibo
