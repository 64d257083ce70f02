#include "WidgetTestKit.h"

#include "directory/widgets/CChangeInfoDlg.h"
#include "directory/widgets/CHandleInUseDlg.h"
#include "directory/widgets/CRegistrationDlg.h"
#include "directory/widgets/WidgetRegistrationUi.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

TEST(RegistrationDialog, HasItsElevenFieldsWithTheirLabelsAndLimits)
{
    CRegistrationDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quibo32 - Registration"));
    QStringList fields;
    for (const auto &[label, edit] : dialog.labelledEdits()) {
        fields.append(label + u'=' + QString::number(edit->maxLength()));
        // Typing past the limit keeps the limit, counted in UTF-8 bytes.
        edit->setFocus();
        QTest::keyClicks(edit, QString(edit->maxLength() + 3, u'x'));
        EXPECT_EQ(edit->text().size(), edit->maxLength()) << label.toStdString();
        edit->clear();
        for (const QChar c : QString(edit->maxLength(), u'\u00e9')) // keyed in, as a keyboard would
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        EXPECT_EQ(edit->text().toUtf8().size(), edit->maxLength() / 2 * 2) << label.toStdString();
    }
    EXPECT_EQ(fields,
              QStringLiteral("Handle * (10 chars- no spaces!)=10|Password * (10 chars)=10|First Name=30|"
                             "Last Name=30|E-mail Address *=64|City=30|State=30|Country=25|Sex=6|Age=3|"
                             "Personal Info (Hobbies, Interests, Etc.)=100")
                  .split(u'|'));
    EXPECT_EQ(child<QLabel>(&dialog, "requiredNote")->text(), QStringLiteral("*  =  required field"));
    EXPECT_EQ(buttonTexts(&dialog), (QStringList{QStringLiteral("&Register"), QStringLiteral("&Cancel")}));
}

TEST(RegistrationDialog, EditsGoIntoTheFieldsAndButtonsOnlyReport)
{
    WidgetRegistrationUi ui;
    RegistrationFields fields;
    fields.info.city = QStringLiteral("Oslo");
    const std::unique_ptr<DialogView> view = ui.openRegistration(fields);
    auto *dialog = openWindow<CRegistrationDlg>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(child<QLineEdit>(dialog, "city")->text(), QStringLiteral("Oslo"));

    EXPECT_TRUE(waitFor([&] { return dialog->focusWidget() == child<QLineEdit>(dialog, "handle"); }))
        << "the focus rests in the handle";
    QTest::keyClicks(child<QLineEdit>(dialog, "handle"), QStringLiteral("bill"));
    QTest::keyClicks(child<QLineEdit>(dialog, "personalInfo"), QStringLiteral("<b>chess</b>"));
    EXPECT_EQ(fields.handle, QStringLiteral("bill"));
    EXPECT_EQ(fields.info.personalInfo, QStringLiteral("<b>chess</b>"));

    fields.info.email = QStringLiteral("b@x.org");
    view->refresh();
    EXPECT_EQ(child<QLineEdit>(dialog, "email")->text(), QStringLiteral("b@x.org"));

    QSignalSpy actions(view.get(), &DialogView::action);
    QTest::mouseClick(child<QPushButton>(dialog, "registerButton"), Qt::LeftButton);
    EXPECT_EQ(firstArguments(actions), QList<int>{RegistrationUi::RegisterButton});
    EXPECT_TRUE(view->isOpen()) << "the behaviour decides when it closes";

    view->setButtonsEnabled(false);
    QTest::mouseClick(child<QPushButton>(dialog, "registerButton"), Qt::LeftButton);
    EXPECT_EQ(actions.size(), 1);
    view->setButtonsEnabled(true);

    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_EQ(firstArguments(actions), (QList<int>{RegistrationUi::RegisterButton, DialogView::Closed}));
    EXPECT_FALSE(view->isOpen());
}

TEST(HandleInUseDialog, ShowsItsSixLinesWithoutCaption)
{
    WidgetRegistrationUi ui;
    const auto done = whenDone(ui.showHandleInUse());
    auto *dialog = openWindow<CHandleInUseDlg>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString());
    EXPECT_EQ(dialog->lines(), QStringLiteral("Sorry, That Handle Is Already Being Used.|"
                                              "Please change your handle and Resubmit|"
                                              "Note: The handles are case sensitive, so you|"
                                              "can try just changing the case, - ie. if you tried|"
                                              "'Bill', you may want to try 'bill'|"
                                              "Or you can try including numbers, i.e. Bill1")
                                   .split(u'|'));
    QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return *done; }, 2000));
}

TEST(ChangeInfoDialog, ShowsHandleAndAddressReadOnlyAndCarriesThePasswordHidden)
{
    QWidget mainWindow;
    mainWindow.show();
    WidgetRegistrationUi ui(&mainWindow);
    ChangeInfoFields fields{QStringLiteral("bill"), QStringLiteral("10.0.0.7"), {}};
    fields.info.password = QStringLiteral("secret");
    fields.info.age = QStringLiteral("42");
    const std::unique_ptr<DialogView> view = ui.openChangeInfo(fields);
    auto *dialog = openWindow<CChangeInfoDlg>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quibo32 - Change Your Info"));
    EXPECT_EQ(child<QGroupBox>(dialog, "userInfo")->title(), QStringLiteral("User Info"));
    EXPECT_EQ(child<QPushButton>(dialog, "changeButton")->text(), QStringLiteral("C&hange"));
    EXPECT_EQ(child<QLabel>(dialog, "handleLabel")->text(), QStringLiteral("Handle"));
    EXPECT_EQ(child<QLabel>(dialog, "addressLabel")->text(), QStringLiteral("IP Address"));

    EXPECT_EQ(dialog->handleEdit()->text(), QStringLiteral("bill"));
    EXPECT_EQ(dialog->addressEdit()->text(), QStringLiteral("10.0.0.7"));
    EXPECT_TRUE(dialog->addressEdit()->isReadOnly());
    EXPECT_FALSE(dialog->passwordCarrier()->isVisible());
    EXPECT_EQ(dialog->passwordCarrier()->text(), QStringLiteral("secret"));

    const QList<int> limits{30, 30, 64, 30, 30, 25, 6, 3, 100};
    ASSERT_EQ(dialog->infoEdits().size(), limits.size());
    for (qsizetype i = 0; i < limits.size(); ++i)
        EXPECT_EQ(dialog->infoEdits()[i]->maxLength(), limits[i]) << i;
    EXPECT_EQ(dialog->infoEdits()[7]->text(), QStringLiteral("42"));

    EXPECT_TRUE(waitFor([&] { return dialog->focusWidget() == dialog->infoEdits()[0]; }))
        << "the focus rests in the first name";
    QTest::keyClicks(dialog->infoEdits()[3], QStringLiteral("Oslo"));
    EXPECT_EQ(fields.info.city, QStringLiteral("Oslo"));
    EXPECT_EQ(fields.info.password, QStringLiteral("secret"));

    QSignalSpy actions(view.get(), &DialogView::action);
    QTest::mouseClick(child<QPushButton>(dialog, "changeButton"), Qt::LeftButton);
    EXPECT_EQ(firstArguments(actions), QList<int>{RegistrationUi::ChangeButton});
    view->close();
    EXPECT_FALSE(view->isOpen());
    EXPECT_EQ(actions.size(), 2);
}
