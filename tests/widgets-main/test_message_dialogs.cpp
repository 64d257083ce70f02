#include "QtPrinters.h"
#include "WidgetTestKit.h"

#include "messaging/widgets/CReceivedMessageDlg.h"
#include "messaging/widgets/CSendMessageDlg.h"
#include "messaging/widgets/WidgetMessageUi.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {
struct Dialogs : ::testing::Test {
    QWidget mainWindow;
    WidgetMessageUi ui{&mainWindow};
    SendMessageFields send;
    ReceivedMessageFields received;
};
} // namespace

TEST_F(Dialogs, SendDialogShowsItsFieldsAndRestsInTheEdit)
{
    send.m_to = QStringLiteral("bob");
    send.m_message = QStringLiteral("kept\r\ndraft");
    const auto view = ui.openSendMessage(DialogOwner::MainWindow, send);
    CSendMessageDlg &dialog = ui.sendDialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quibo32 - Send Message"));
    EXPECT_EQ(dialog.shownTo(), QStringLiteral("bob"));
    EXPECT_EQ(dialog.messageEdit()->toPlainText(), QStringLiteral("kept\ndraft"));
    EXPECT_EQ(buttonTexts(&dialog), (QStringList{QStringLiteral("&Send"), QStringLiteral("&Cancel")}));
    EXPECT_EQ(dialog.parentWidget(), &mainWindow);
    EXPECT_EQ(dialog.windowModality(), Qt::WindowModal);
    EXPECT_TRUE(waitFor([&] { return dialog.focusWidget() == dialog.messageEdit(); }));
}

TEST_F(Dialogs, TypingWritesTheMessageAtOnceWithCrLfLineEnds)
{
    const auto view = ui.openSendMessage(DialogOwner::MainWindow, send);
    QSignalSpy spy(view.get(), &DialogView::action);
    QPlainTextEdit *edit = ui.sendDialog().messageEdit();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("hi"));
    EXPECT_EQ(send.m_message, QStringLiteral("hi"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("there"));
    EXPECT_EQ(send.m_message, QStringLiteral("hi\r\nthere"));
    EXPECT_TRUE(spy.isEmpty()) << "Enter in the edit starts a line and sends nothing";
}

// The edit holds at most 512 bytes as sent; what goes beyond is dropped in whole characters.
TEST_F(Dialogs, TheMessageStopsAt512Bytes)
{
    struct Case {
        QString pasted;
        qsizetype bytes;
    };
    const Case cases[] = {
        {QString(600, u'a'), 512},
        {QString(300, QChar(0x00E9)), 512},                // 2 bytes each
        {QString(200, QChar(0x20AC)), 510},                // 3 bytes each: 170 fit
        {QStringLiteral("\U0001F600").repeated(200), 512}, // 4 bytes, two UTF-16 units each
        {QStringLiteral("ab\n").repeated(200), 512},       // a line end counts as CR LF
    };
    for (const Case &c : cases) {
        send.m_message.clear();
        const auto view = ui.openSendMessage(DialogOwner::Desktop, send);
        QPlainTextEdit *edit = ui.sendDialog().messageEdit();
        edit->insertPlainText(c.pasted);
        EXPECT_EQ(send.m_message.toUtf8().size(), c.bytes) << c.pasted.left(3).toStdString();
        EXPECT_TRUE(c.pasted.startsWith(CSendMessageDlg::toScreen(send.m_message)));
        edit->insertPlainText(QString(QChar(0x20AC)));
        EXPECT_EQ(send.m_message.toUtf8().size(), c.bytes) << "a character that does not fit stays out";
    }
}

TEST_F(Dialogs, ButtonsReportAndTheBehaviourCloses)
{
    const auto view = ui.openSendMessage(DialogOwner::MainWindow, send);
    CSendMessageDlg &dialog = ui.sendDialog();
    QSignalSpy spy(view.get(), &DialogView::action);
    QTest::mouseClick(button(&dialog, "sendButton"), Qt::LeftButton);
    QTest::mouseClick(button(&dialog, "cancelButton"), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close(); // the close box
    EXPECT_EQ(firstArguments(spy), (QList<int>{MessageUi::SendButton, MessageUi::CancelButton,
                                               MessageUi::CancelButton, MessageUi::CancelButton}));
    EXPECT_TRUE(view->isOpen());
    EXPECT_TRUE(dialog.isVisible());

    view->close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(firstArguments(spy).last(), DialogView::Closed);
}

TEST_F(Dialogs, OneDialogObjectServesEveryOpening)
{
    send.m_to = QStringLiteral("bob");
    auto first = ui.openSendMessage(DialogOwner::MainWindow, send);
    QSignalSpy firstSpy(first.get(), &DialogView::action);
    send.m_to = QStringLiteral("LoopBack");
    const auto second = ui.openSendMessage(DialogOwner::Desktop, send);
    EXPECT_EQ(firstArguments(firstSpy), QList<int>{DialogView::Closed}) << "a new opening ends the last";
    EXPECT_FALSE(first->isOpen());
    EXPECT_TRUE(second->isOpen());
    EXPECT_EQ(ui.sendDialog().parentWidget(), nullptr);
    EXPECT_EQ(ui.sendDialog().windowModality(), Qt::NonModal);

    first.reset(); // the old view cannot touch the new showing
    EXPECT_TRUE(second->isOpen());
    send.m_to = QStringLiteral("carol");
    second->refresh();
    EXPECT_EQ(ui.sendDialog().shownTo(), QStringLiteral("carol"));
}

TEST_F(Dialogs, ReceivedDialogShowsTheMessageReadOnly)
{
    received.m_from = QStringLiteral("LoopBack");
    received.m_message = QStringLiteral("line one\r\nline two");
    const auto view = ui.openReceivedMessage(received);
    CReceivedMessageDlg &dialog = ui.receivedDialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quibo32 - Received Message"));
    EXPECT_EQ(dialog.shownFrom(), QStringLiteral("LoopBack"));
    EXPECT_EQ(dialog.messageEdit()->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_TRUE(dialog.messageEdit()->isReadOnly());
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_EQ(buttonTexts(&dialog), (QStringList{QStringLiteral("&OK"), QStringLiteral("&Reply")}));

    ASSERT_TRUE(waitFor([&] { return dialog.focusWidget() == dialog.messageEdit(); }));
    QSignalSpy spy(view.get(), &DialogView::action);
    QTest::keyClick(dialog.messageEdit(), Qt::Key_Return); // the hidden "&fake" default swallows it
    QTest::mouseClick(button(&dialog, "replyButton"), Qt::LeftButton);
    QTest::mouseClick(button(&dialog, "okButton"), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(firstArguments(spy),
              (QList<int>{MessageUi::ReplyButton, MessageUi::OkButton, MessageUi::OkButton}));
}
