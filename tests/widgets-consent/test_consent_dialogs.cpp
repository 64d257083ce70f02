#include "WidgetTestKit.h"

#include "consent/widgets/CAddContactDlg.h"
#include "consent/widgets/CManageContactsDlg.h"
#include "consent/widgets/CRequestToAddDlg.h"
#include "consent/widgets/WidgetConsentUi.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

TEST(ConsentDialogs, CaptionsTextsAndButtons)
{
    WidgetConsentUi ui;
    ManageContactsFields manage;
    AddContactFields add;
    RequestToAddFields request{QStringLiteral("alice")};
    const auto manageView = ui.openManageContacts(manage);
    const auto addView = ui.openAddContact(add);
    const auto requestView = ui.openRequestToAdd(request);

    auto *manageDlg = openWindow<CManageContactsDlg>();
    auto *addDlg = openWindow<CAddContactDlg>();
    auto *requestDlg = openWindow<CRequestToAddDlg>();
    ASSERT_TRUE(manageDlg && addDlg && requestDlg);
    EXPECT_EQ(manageDlg->windowTitle(), QStringLiteral("Quibo32 Manage Contact List"));
    EXPECT_EQ(manageDlg->list()->headerItem()->text(0), QStringLiteral("Contacts"));
    EXPECT_EQ(buttonTexts(manageDlg),
              (QStringList{QStringLiteral("&Add Contact"), QStringLiteral("&Delete Contact"),
                           QStringLiteral("&Exit")}));
    EXPECT_EQ(addDlg->windowTitle(), QStringLiteral("Quibo32 - Add Contact"));
    EXPECT_EQ(buttonTexts(addDlg), (QStringList{QStringLiteral("&OK"), QStringLiteral("&Cancel")}));
    EXPECT_EQ(requestDlg->windowTitle(), QStringLiteral("Quibo32 - Request To Add"));
    EXPECT_EQ(requestDlg->lines(), (QStringList{QStringLiteral("Request From"), QStringLiteral("alice"),
                                                QStringLiteral("Do You Want To Add This"),
                                                QStringLiteral("Person To Your Contact List?")}));
    EXPECT_EQ(buttonTexts(requestDlg), (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
}

TEST(ConsentDialogs, TheSelectionSurvivesReopeningAndEnterInTheListCloses)
{
    WidgetConsentUi ui;
    ManageContactsFields fields{{{QStringLiteral("LoopBack"), true}, {QStringLiteral("bob"), false}}, -1};
    auto view = ui.openManageContacts(fields);
    auto *dialog = openWindow<CManageContactsDlg>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->list()->topLevelItemCount(), 2);
    QTest::mouseClick(dialog->list()->viewport(), Qt::LeftButton, {},
                      dialog->list()->visualItemRect(dialog->list()->topLevelItem(1)).center());
    EXPECT_EQ(fields.selection, 1);
    view.reset();

    view = ui.openManageContacts(fields);
    dialog = openWindow<CManageContactsDlg>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->list()->currentItem(), dialog->list()->topLevelItem(1));
    QSignalSpy actions(view.get(), &DialogView::action);
    dialog->list()->setFocus();
    QTest::keyClick(dialog->list(), Qt::Key_Return);
    EXPECT_EQ(firstArguments(actions), QList<int>{DialogView::Closed});
}

TEST(ConsentDialogs, AddContactTakesTenBytesAndEnterDoesNothing)
{
    WidgetConsentUi ui;
    AddContactFields fields;
    const auto view = ui.openAddContact(fields);
    auto *dialog = openWindow<CAddContactDlg>();
    ASSERT_NE(dialog, nullptr);
    QSignalSpy actions(view.get(), &DialogView::action);
    QTest::keyClicks(dialog->nameEdit(), QStringLiteral("bobbybobbybob"));
    EXPECT_EQ(fields.m_contactName, QStringLiteral("bobbybobby"));
    QTest::keyClick(dialog->nameEdit(), Qt::Key_Return);
    EXPECT_TRUE(actions.isEmpty());
    EXPECT_TRUE(view->isOpen());
}

} // namespace
