#include "WidgetTestKit.h"

#include "transfer/widgets/WidgetTransferUi.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {
QFileDialog *chooser(const QString &title)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QFileDialog *>(w);
            dialog && dialog->isVisible() && dialog->windowTitle() == title)
            return dialog;
    return nullptr;
}
} // namespace

TEST(TransferWindows, TheQuestionShowsTheOfferAndAnswersWithItsButtons)
{
    WidgetTransferUi ui;
    for (const bool yes : {true, false}) {
        const auto answer = result(ui.askReceiveFile(u"bob"_s, u"report.doc"_s, u"12345678901 Bytes"_s));
        auto *dialog = openWindow<CReceiveFileDlg>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), u"Quibo32 Receive File"_s);
        EXPECT_EQ(dialog->sizeLabel()->text(), u"12345678901 Bytes"_s) << "ten digits shown whole";
        (yes ? dialog->yesButton() : dialog->noButton())->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return answer->has_value(); }));
        EXPECT_EQ(**answer, yes);
    }
}

TEST(TransferWindows, TheProgressWindowClosesOnlyOnceDone)
{
    WidgetTransferUi ui;
    const std::unique_ptr<ReceivingView> view = ui.openReceivingFile();
    CReceivingFileDlg &dialog = ui.receivingDialog();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), u"Quibo32 - Receiving File "_s);
    view->setFile(u"small.txt"_s, u"100"_s);
    view->setProgress(50, 100); // under one 4096-byte block, the bar still moves
    EXPECT_EQ(dialog.progressBar()->value(), CReceivingFileDlg::BarSteps / 2);
    EXPECT_EQ(dialog.receivedText(), u"50"_s);
    view->setProgress(6'000'000'000, 12'000'000'000);
    EXPECT_EQ(dialog.progressBar()->value(), CReceivingFileDlg::BarSteps / 2);
    EXPECT_EQ(dialog.receivedText(), u"6000000000"_s);

    dialog.close();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible()) << "neither the close box nor Esc close it before DONE!";
    EXPECT_FALSE(dialog.okButton()->isEnabled());

    view->finish();
    EXPECT_EQ(dialog.windowTitle(), u"Quibo32 - Receive File - DONE!"_s);
    EXPECT_EQ(dialog.okButton()->text(), u"DONE!"_s);
    EXPECT_EQ(dialog.progressBar()->value(), CReceivingFileDlg::BarSteps);
    dialog.okButton()->click();
    EXPECT_FALSE(dialog.isVisible());
}

TEST(TransferWindows, TheSendNoticeAndTheChoosersOpenTogetherReturnWhatTheUserDid)
{
    WidgetTransferUi ui;
    const auto done = whenDone(ui.showFileBeingSent(DialogOwner::Desktop, u"a b.txt Is Being Sent"_s));
    auto *notice = openWindow<CSendFileDlg>();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->windowTitle(), u"Quibo32 - Send File"_s);
    EXPECT_EQ(notice->notice(), u"a b.txt Is Being Sent"_s);
    notice->okButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return *done; }));

    // Send File's chooser stays open while a file offer's Save As comes and goes.
    QTemporaryDir folder;
    const auto toSend = result(ui.chooseFileToSend(DialogOwner::Desktop));
    const auto saved = result(ui.chooseSaveFile(u"offered.txt"_s));
    const QPointer<QFileDialog> send = chooser(u"Select File To Send"_s);
    QFileDialog *save = chooser(u"Quibo32 - Save File As"_s);
    ASSERT_TRUE(send && save) << "opening one chooser closed the other";
    save->setDirectory(folder.path());
    save->selectFile(u"offered.txt"_s);
    static_cast<QDialog *>(save)->accept(); // as the Save button does
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved->has_value(); }));
    EXPECT_EQ(**saved, QDir(folder.path()).filePath(u"offered.txt"_s));
    ASSERT_TRUE(send && send->isVisible()) << "saving closed Send File's chooser";
    EXPECT_FALSE(toSend->has_value());
    send->reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return toSend->has_value(); }));
    EXPECT_FALSE(toSend->value().has_value());
}
