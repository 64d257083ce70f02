#include "WidgetTestKit.h"

#include "base/Timings.h"
#include "history/HistoryBrowser.h"
#include "history/widgets/CHistoryDlg.h"
#include "history/widgets/WidgetHistoryUi.h"
#include "platform/Preferences.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

const Party Bob = Party::contact(u"bob"_s);
const Party Carol = Party::contact(u"carol"_s);

// A real history in a folder of its own, shown in the real window.
class HistoryWindow : public ::testing::Test {
protected:
    void record(Direction direction, EntryKind kind, const Party &party, const QString &text)
    {
        store.record({{}, direction, kind, party, text, -1, FileOutcome::None});
    }
    [[nodiscard]] bool indexed()
    {
        return QTest::qWaitFor([this] { return indexedUpTo >= store.lastId(); }, 20000);
    }
    // The "What" column, and the same as HTML with its marks.
    static QStringList column(CHistoryDlg *window, int role = Qt::DisplayRole)
    {
        QStringList texts;
        for (int i = 0; i < window->rows()->topLevelItemCount(); ++i)
            texts.append(window->rows()->topLevelItem(i)->data(2, role).toString());
        return texts;
    }

    QTemporaryDir dir;
    HistoryStore store{dir.path(), Timings{}.scaledDown(100)};
    qint64 indexedUpTo = 0;
    QMetaObject::Connection watching =
        QObject::connect(&store, &HistoryStore::indexed, [this](qint64 last) { indexedUpTo = last; });
    PreferencesFile preferences{dir.filePath(QString::fromLatin1(PreferencesFile::FileName))};
    WidgetHistoryUi ui;
    HistoryBrowser browser{store, preferences, ui};
};

TEST_F(HistoryWindow, ShowsAContactsHistoryAndSearchesEverythingAsTheUserTypes)
{
    record(Direction::Out, EntryKind::Message, Bob, u"hello bob"_s);
    record(Direction::In, EntryKind::Message, Carol, u"hello from carol"_s);
    record(Direction::In, EntryKind::Smiley, Bob, u"Wink"_s);
    ASSERT_TRUE(indexed());

    browser.open(Bob);
    QPointer<CHistoryDlg> window = openWindow<CHistoryDlg>();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), u"Quibo32 - History"_s);
    EXPECT_EQ(window->heading(), u"History of bob"_s);
    EXPECT_EQ(column(window), (QStringList{u"You: hello bob"_s, u"bob sent the smiley Wink"_s}));

    QTest::keyClicks(window->searchEdit(), u"hel"_s);
    EXPECT_EQ(column(window), (QStringList{u"You: hello bob"_s, u"carol: hello from carol"_s}));
    EXPECT_EQ(column(window, MarkedTextRole)[1],
              u"carol: <b style=\"background-color:#ffff66\">hello</b> from carol"_s);
    window->searchEdit()->clear();
    EXPECT_EQ(column(window).size(), 2);
    // What is recorded while the window is open joins it, once the turn has written it.
    record(Direction::In, EntryKind::Message, Bob, u"<b>not bold</b>"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return column(window).size() == 3; }));
    EXPECT_EQ(column(window).last(), u"bob: <b>not bold</b>"_s);
    EXPECT_EQ(column(window, MarkedTextRole).last(), u"bob: &lt;b&gt;not bold&lt;/b&gt;"_s);

    // "Clear History..." asks in the window before it deletes this contact's history.
    button(window, "clearButton")->click();
    EXPECT_TRUE(child<QWidget>(window, "confirmFrame")->isVisible());
    EXPECT_EQ(child(window, "confirmLabel")->text(), u"Delete history of bob for good?"_s);
    button(window, "confirmNoButton")->click();
    EXPECT_EQ(store.page(Bob, 0, 10).size(), 3);
    button(window, "clearButton")->click();
    button(window, "confirmYesButton")->click();
    EXPECT_TRUE(column(window).isEmpty());
    EXPECT_EQ(store.page(std::nullopt, 0, 10).size(), 1);

    child<QCheckBox>(window, "keepBox")->click();
    EXPECT_FALSE(store.keeping());
    EXPECT_FALSE(PreferencesFile(dir.filePath(QString::fromLatin1(PreferencesFile::FileName))).values().keepHistory);

    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window && !browser.isOpen(); }));
    browser.open(std::nullopt);
    ASSERT_TRUE(openWindow<CHistoryDlg>());
    EXPECT_EQ(openWindow<CHistoryDlg>()->heading(), u"All history"_s);
    EXPECT_FALSE(child<QCheckBox>(openWindow<CHistoryDlg>(), "keepBox")->isChecked());
}

TEST_F(HistoryWindow, EarlierBringsThePageBefore)
{
    for (int i = 0; i < HistoryBrowser::PageSize + 5; ++i)
        record(Direction::In, EntryKind::Message, Bob, u"line %1"_s.arg(i));
    browser.open(Bob);
    CHistoryDlg *window = openWindow<CHistoryDlg>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(column(window).first(), u"bob: line 5"_s);
    QPushButton *earlier = button(window, "earlierButton");
    EXPECT_TRUE(earlier->isEnabled());
    earlier->click();
    EXPECT_EQ(column(window).size(), HistoryBrowser::PageSize + 5);
    EXPECT_EQ(column(window).first(), u"bob: line 0"_s);
    EXPECT_FALSE(earlier->isEnabled());
}

} // namespace
