#pragma once

#include "messaging/widgets/MessageDialog.h"
#include "ports/MessageUi.h"

#include <QPointer>

class QWidget;

namespace quibo {

class CReceivedMessageDlg;
class CSendMessageDlg;

// One showing of a message dialog, as the behaviour drives it. A destroyed dialog reads as
// closed; a view destroyed while its showing is open closes the dialog.
class MessageDialogView : public DialogView {
    Q_OBJECT
public:
    MessageDialogView(MessageDialog &dialog, MessageDialog::Showing showing);
    ~MessageDialogView() override;

    void close() override;
    [[nodiscard]] bool isOpen() const override;
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;
    void bringForward() override;

private:
    void reportClosed();

    QPointer<MessageDialog> m_dialog;
    MessageDialog::Showing m_showing;
    bool m_closedReported = false;
};

// The two message dialogs as real windows: one object each for the whole run, reused.
// Dialogs opened for the main window are window-modal to it; the others are independent.
class WidgetMessageUi : public MessageUi {
public:
    explicit WidgetMessageUi(QWidget *mainWindow = nullptr);
    ~WidgetMessageUi() override;

    std::unique_ptr<DialogView> openSendMessage(DialogOwner owner, SendMessageFields &fields) override;
    std::unique_ptr<DialogView> openReceivedMessage(ReceivedMessageFields &fields) override;

    CSendMessageDlg &sendDialog();
    CReceivedMessageDlg &receivedDialog();

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<CSendMessageDlg> m_send;
    QPointer<CReceivedMessageDlg> m_received;
};

} // namespace quibo
