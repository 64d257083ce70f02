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
using namespace Qt::StringLiterals;

namespace {

TEST(ConsentDialogs, CaptionsTextsAndButtons)
{
    WidgetConsentUi ui;
    ManageContactsFields manage;
    AddContactFields add;
    RequestToAddFields request{u"alice"_s};
    const auto manageView = ui.openManageContacts(manage);
    const auto addView = ui.openAddContact(add);
    const auto requestView = ui.openRequestToAdd(request);

    auto *manageDlg = openWindow<CManageContactsDlg>();
    auto *addDlg = openWindow<CAddContactDlg>();
    auto *requestDlg = openWindow<CRequestToAddDlg>();
    ASSERT_TRUE(manageDlg && addDlg && requestDlg);
    EXPECT_EQ(manageDlg->windowTitle(), u"Quibo32 Manage Contact List"_s);
    EXPECT_EQ(manageDlg->list()->headerItem()->text(0), u"Contacts"_s);
    EXPECT_EQ(buttonTexts(manageDlg), (QStringList{u"&Add Contact"_s, u"&Delete Contact"_s, u"&Exit"_s}));
    EXPECT_EQ(addDlg->windowTitle(), u"Quibo32 - Add Contact"_s);
    EXPECT_EQ(buttonTexts(addDlg), (QStringList{u"&OK"_s, u"&Cancel"_s}));
    EXPECT_EQ(requestDlg->windowTitle(), u"Quibo32 - Request To Add"_s);
    EXPECT_EQ(requestDlg->lines(), (QStringList{u"Request From"_s, u"alice"_s, u"Do You Want To Add This"_s,
                                                u"Person To Your Contact List?"_s}));
    EXPECT_EQ(buttonTexts(requestDlg), (QStringList{u"&Yes"_s, u"&No"_s}));
}

TEST(ConsentDialogs, TheSelectionSurvivesReopeningAndEnterInTheListCloses)
{
    WidgetConsentUi ui;
    ManageContactsFields fields{{{u"LoopBack"_s, true}, {u"bob"_s, false}}, -1};
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
    QTest::keyClicks(dialog->nameEdit(), u"bobbybobbybob"_s);
    EXPECT_EQ(fields.m_contactName, u"bobbybobby"_s);
    QTest::keyClick(dialog->nameEdit(), Qt::Key_Return);
    EXPECT_TRUE(actions.isEmpty());
    EXPECT_TRUE(view->isOpen());
}

} // namespace
