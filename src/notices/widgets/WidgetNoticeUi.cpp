#include "notices/widgets/WidgetNoticeUi.h"

#include "notices/widgets/CAboutDlg.h"
#include "notices/widgets/CHintDlg.h"
#include "notices/widgets/CSendingDlg.h"
#include "notices/widgets/CSmileyDlg.h"
#include "notices/widgets/CSystemMessageDlg.h"
#include "notices/widgets/PopupPictureView.h"

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
