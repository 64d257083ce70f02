#include "messaging/widgets/WidgetMessageUi.h"

#include "messaging/widgets/CReceivedMessageDlg.h"
#include "messaging/widgets/CSendMessageDlg.h"

namespace quibo {

MessageDialogView::MessageDialogView(MessageDialog &dialog, MessageDialog::Showing showing)
    : m_dialog(&dialog), m_showing(showing)
{
    connect(&dialog, &MessageDialog::buttonPressed, this, [this](int controlId) {
        if (isOpen())
            Q_EMIT action(controlId);
    });
    connect(&dialog, &MessageDialog::showingEnded, this, [this](quint64 ended) {
        if (ended == m_showing)
            reportClosed();
    });
    connect(&dialog, &QObject::destroyed, this, &MessageDialogView::reportClosed);
}

MessageDialogView::~MessageDialogView()
{
    m_closedReported = true; // nobody is left to tell
    if (m_dialog)
        m_dialog->endShowing(m_showing);
}

void MessageDialogView::close()
{
    if (m_dialog)
        m_dialog->endShowing(m_showing);
    reportClosed();
}

bool MessageDialogView::isOpen() const
{
    return m_dialog && m_dialog->isShowing(m_showing);
}

void MessageDialogView::refresh()
{
    if (isOpen())
        m_dialog->showFields();
}

void MessageDialogView::setButtonsEnabled(bool enabled)
{
    if (isOpen())
        m_dialog->setButtonsEnabled(enabled);
}

void MessageDialogView::bringForward()
{
    if (isOpen())
        m_dialog->bringForward();
}

void MessageDialogView::reportClosed()
{
    if (m_closedReported)
        return;
    m_closedReported = true;
    Q_EMIT action(Closed);
}

WidgetMessageUi::WidgetMessageUi(QWidget *mainWindow)
    : m_mainWindow(mainWindow), m_send(new CSendMessageDlg), m_received(new CReceivedMessageDlg)
{
}

WidgetMessageUi::~WidgetMessageUi()
{
    // Either may belong to the main window by now; delete whichever still exist.
    delete m_send.data();
    delete m_received.data();
}

CSendMessageDlg &WidgetMessageUi::sendDialog()
{
    // Made again if it went down with the main window it belonged to.
    if (!m_send)
        m_send = new CSendMessageDlg;
    return *m_send;
}

CReceivedMessageDlg &WidgetMessageUi::receivedDialog()
{
    if (!m_received)
        m_received = new CReceivedMessageDlg;
    return *m_received;
}

std::unique_ptr<DialogView> WidgetMessageUi::openSendMessage(DialogOwner owner, SendMessageFields &fields)
{
    CSendMessageDlg &dialog = sendDialog();
    const auto showing = dialog.beginShowing(owner, m_mainWindow);
    dialog.bind(fields);
    return std::make_unique<MessageDialogView>(dialog, showing);
}

std::unique_ptr<DialogView> WidgetMessageUi::openReceivedMessage(ReceivedMessageFields &fields)
{
    CReceivedMessageDlg &dialog = receivedDialog();
    const auto showing = dialog.beginShowing(DialogOwner::Desktop, m_mainWindow);
    dialog.bind(fields);
    return std::make_unique<MessageDialogView>(dialog, showing);
}

} // namespace quibo
