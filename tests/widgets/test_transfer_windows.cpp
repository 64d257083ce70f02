#include "WidgetTestKit.h"

#include "transfer/widgets/WidgetTransferUi.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

TEST(TransferWindows, TheQuestionShowsTheOfferAndAnswersWithItsButtons)
{
    WidgetTransferUi ui;
    for (const bool yes : {true, false}) {
        const auto answer = result(ui.askReceiveFile(QStringLiteral("bob"), QStringLiteral("report.doc"),
                                                     QStringLiteral("12345678901 Bytes")));
        auto *dialog = openWindow<CReceiveFileDlg>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quibo32 Receive File"));
        EXPECT_EQ(dialog->sizeLabel()->text(), QStringLiteral("12345678901 Bytes"))
            << "ten digits shown whole";
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
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quibo32 - Receiving File "));
    view->setFile(QStringLiteral("small.txt"), QStringLiteral("100"));
    view->setProgress(50, 100); // under one 4096-byte block, the bar still moves
    EXPECT_EQ(dialog.progressBar()->value(), CReceivingFileDlg::BarSteps / 2);
    EXPECT_EQ(dialog.receivedText(), QStringLiteral("50"));
    view->setProgress(6'000'000'000, 12'000'000'000);
    EXPECT_EQ(dialog.progressBar()->value(), CReceivingFileDlg::BarSteps / 2);
    EXPECT_EQ(dialog.receivedText(), QStringLiteral("6000000000"));

    dialog.close();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible()) << "neither the close box nor Esc close it before DONE!";
    EXPECT_FALSE(dialog.okButton()->isEnabled());

    view->finish();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quibo32 - Receive File - DONE!"));
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("DONE!"));
    EXPECT_EQ(dialog.progressBar()->value(), CReceivingFileDlg::BarSteps);
    dialog.okButton()->click();
    EXPECT_FALSE(dialog.isVisible());
}

TEST(TransferWindows, TheSendNoticeAndTheChoosersReturnWhatTheUserDid)
{
    WidgetTransferUi ui;
    const auto done =
        whenDone(ui.showFileBeingSent(DialogOwner::Desktop, QStringLiteral("a b.txt Is Being Sent")));
    auto *notice = openWindow<CSendFileDlg>();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->windowTitle(), QStringLiteral("Quibo32 - Send File"));
    EXPECT_EQ(notice->notice(), QStringLiteral("a b.txt Is Being Sent"));
    notice->okButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return *done; }));

    QTemporaryDir folder;
    const auto saved = result(ui.chooseSaveFile(QStringLiteral("offered.txt")));
    ASSERT_NE(ui.chooser(), nullptr);
    EXPECT_EQ(ui.chooser()->windowTitle(), QStringLiteral("Quibo32 - Save File As"));
    ui.chooser()->setDirectory(folder.path());
    ui.chooser()->selectFile(QStringLiteral("offered.txt"));
    static_cast<QDialog *>(ui.chooser())->accept(); // as the Save button does
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved->has_value(); }));
    EXPECT_EQ(**saved, QDir(folder.path()).filePath(QStringLiteral("offered.txt")));

    const auto cancelled = result(ui.chooseFileToSend(DialogOwner::Desktop));
    ASSERT_NE(ui.chooser(), nullptr);
    EXPECT_EQ(ui.chooser()->windowTitle(), QStringLiteral("Select File To Send"));
    ui.chooser()->reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelled->has_value(); }));
    EXPECT_FALSE(cancelled->value().has_value());
}
