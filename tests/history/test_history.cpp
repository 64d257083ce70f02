#include "base/Timings.h"
#include "history/HistoryStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quibo;
using namespace Qt::StringLiterals;

namespace {

const Party Bob = Party::contact(u"bob"_s);
const Party Carol = Party::contact(u"carol"_s);
const Party AnnasChannel = Party::channel(u"anna"_s);

HistoryEntry entry(Direction direction, EntryKind kind, Party party, QString text, qint64 size = -1,
                   FileOutcome outcome = FileOutcome::None)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(1700000000000, Qt::UTC);
    return {at, direction, kind, std::move(party), std::move(text), size, outcome};
}

QList<HistoryEntry> entriesOf(const QList<StoredEntry> &stored)
{
    QList<HistoryEntry> entries;
    for (const StoredEntry &s : stored)
        entries.append(s.entry);
    return entries;
}

// A history in a folder of its own, reopened as the program would at its next start.
class History : public ::testing::Test {
protected:
    void SetUp() override { reopen(); }

    void reopen()
    {
        store.reset();
        store = std::make_unique<HistoryStore>(dir.path(), Timings{}.scaledDown(100));
        QObject::connect(store.get(), &HistoryStore::indexed, [this](qint64 last) { indexedUpTo = last; });
        ASSERT_TRUE(store->isOpen());
    }

    // Until the search finds every entry recorded.
    [[nodiscard]] bool indexed() const
    {
        return QTest::qWaitFor([this] { return indexedUpTo >= store->lastId(); }, 20000);
    }

    // Whether any of the history's files holds `bytes`.
    [[nodiscard]] bool filesHold(const QByteArray &bytes) const
    {
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes))
                return true;
        }
        return false;
    }

    QTemporaryDir dir;
    std::unique_ptr<HistoryStore> store;
    qint64 indexedUpTo = 0;
};

TEST_F(History, KeepsEveryKindInOrderByPartyAcrossARestart)
{
    QList<HistoryEntry> written{
        entry(Direction::Out, EntryKind::Message, Bob, u"hello bob"_s),
        entry(Direction::In, EntryKind::Message, Bob, u"hi there"_s),
        entry(Direction::In, EntryKind::ChannelLine, AnnasChannel, u"anna> welcome all"_s),
        entry(Direction::Out, EntryKind::Smiley, Bob, u"Wink"_s),
        entry(Direction::In, EntryKind::Sound, Carol, u"Applause"_s),
        entry(Direction::Out, EntryKind::PrivateChatLine, Bob, u"me> just us"_s),
        entry(Direction::Out, EntryKind::File, Bob, u"report.doc"_s, 1234, FileOutcome::Offered),
        entry(Direction::In, EntryKind::File, Carol, u"photo.png"_s, 99, FileOutcome::Offered),
        entry(Direction::Out, EntryKind::File, Bob, u"report.doc"_s, 1234, FileOutcome::Offered),
    };
    for (const HistoryEntry &e : written)
        store->record(e);
    // The latest offer of that name is the one answered; a name never offered changes nothing.
    store->settleFile(Bob, Direction::Out, u"report.doc"_s, FileOutcome::Received);
    store->settleFile(Carol, Direction::In, u"photo.png"_s, FileOutcome::Declined);
    store->settleFile(Bob, Direction::Out, u"other.doc"_s, FileOutcome::Busy);
    written[8].outcome = FileOutcome::Received;
    written[7].outcome = FileOutcome::Declined;
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    store->record({{}, Direction::In, EntryKind::Message, Carol, u"stamped now"_s, -1, FileOutcome::None});
    reopen();

    const QList<StoredEntry> all = store->page(std::nullopt, 0, 100);
    ASSERT_EQ(all.size(), written.size() + 1);
    EXPECT_GE(all.last().entry.time, before);
    EXPECT_LE(all.last().entry.time, QDateTime::currentDateTimeUtc());
    EXPECT_EQ(entriesOf(all.mid(0, written.size())), written);
    EXPECT_EQ(entriesOf(store->page(Bob, 0, 100)),
              (QList<HistoryEntry>{written[0], written[1], written[3], written[5], written[6], written[8]}));
    EXPECT_EQ(entriesOf(store->page(AnnasChannel, 0, 100)), QList<HistoryEntry>{written[2]});
    EXPECT_TRUE(store->page(Party::contact(u"anna"_s), 0, 100).isEmpty());
    // Pages go back from an entry, oldest first.
    EXPECT_EQ(entriesOf(store->page(std::nullopt, all[4].id, 2)), (QList<HistoryEntry>{written[2], written[3]}));
    EXPECT_EQ(entriesOf(store->page(Bob, all[6].id, 2)), (QList<HistoryEntry>{written[3], written[5]}));
}

TEST_F(History, SearchFindsWhatIsTypedWithItsWordsMarked)
{
    const QStringList texts{u"Meet me at the Café tomorrow"_s, u"cafeteria closed"_s, u"NEAR the AND OR"_s,
                            u"quote \"this\" please"_s, u"ünïcödé 😀 text"_s, u"holiday-photos.zip"_s};
    for (const QString &text : texts)
        store->record(entry(Direction::In, EntryKind::Message, Bob, text));
    store->record(entry(Direction::Out, EntryKind::ChannelLine, AnnasChannel, u"me> cafe au lait"_s));
    ASSERT_TRUE(indexed());

    const struct {
        QString typed;
        QStringList found; // the latest first
    } cases[] = {
        {u"caf"_s, {u"me> cafe au lait"_s, texts[1], texts[0]}},
        {u"CAFE tomorrow"_s, {texts[0]}},
        {u"tomorrow cafe"_s, {texts[0]}},
        {u"near"_s, {texts[2]}},
        {u"AND OR"_s, {texts[2]}},
        {u"\"this\""_s, {texts[3]}},
        {u"-closed"_s, {texts[1]}},
        {u"unicode"_s, {texts[4]}},
        {u"holiday photos"_s, {texts[5]}},
        {u"m"_s, {}},
        {u"*"_s, {}},
        {u"nothing like it"_s, {}},
    };
    for (const auto &c : cases) {
        QStringList found;
        for (const FoundEntry &f : store->search(c.typed))
            found.append(f.stored.entry.text);
        EXPECT_EQ(found, c.found) << c.typed.toStdString();
    }
    const QList<FoundEntry> cafe = store->search(u"tomorrow caf"_s);
    ASSERT_EQ(cafe.size(), 1);
    EXPECT_EQ(cafe[0].marks, (QList<TextSpan>{{15, 4}, {20, 8}}));
    EXPECT_EQ(cafe[0].stored.entry.party, Bob);
}

// Off keeps nothing; a clear leaves no word of what it deleted in any file, and no id is given twice.
TEST_F(History, OffKeepsNothingAndAClearLeavesNoTrace)
{
    store->setKeeping(false);
    store->record(entry(Direction::In, EntryKind::Message, Bob, u"unkept"_s));
    EXPECT_TRUE(store->page(std::nullopt, 0, 10).isEmpty());
    store->setKeeping(true);

    store->record(entry(Direction::In, EntryKind::Message, Bob, u"zqxsecret one"_s));
    store->record(entry(Direction::In, EntryKind::Message, Carol, u"zqxcarol two"_s));
    store->record(entry(Direction::In, EntryKind::ChannelLine, AnnasChannel, u"anna> zqxchannel three"_s));
    ASSERT_TRUE(indexed());
    const qint64 lastBefore = store->lastId();
    ASSERT_TRUE(store->clear(Bob));
    EXPECT_TRUE(store->page(Bob, 0, 10).isEmpty());
    EXPECT_TRUE(store->search(u"zqxsecret"_s).isEmpty());
    EXPECT_EQ(store->page(std::nullopt, 0, 10).size(), 2);
    store->record(entry(Direction::Out, EntryKind::Message, Bob, u"zqxafter"_s));
    ASSERT_TRUE(indexed());
    EXPECT_GT(store->lastId(), lastBefore);
    EXPECT_FALSE(filesHold("zqxsecret"));
    EXPECT_TRUE(filesHold("zqxcarol"));

    ASSERT_TRUE(store->clear(std::nullopt));
    store->record(entry(Direction::Out, EntryKind::Message, Carol, u"zqxnew"_s));
    ASSERT_TRUE(indexed());
    for (const char *gone : {"zqxcarol", "zqxchannel", "zqxafter"})
        EXPECT_FALSE(filesHold(gone)) << gone;
    ASSERT_EQ(store->search(u"zqxnew"_s).size(), 1);
    const qint64 lastAfterClear = store->lastId();
    reopen();
    store->record(entry(Direction::Out, EntryKind::Message, Carol, u"zqxlater"_s));
    EXPECT_GT(store->lastId(), lastAfterClear);
    EXPECT_EQ(store->page(std::nullopt, 0, 10).size(), 2);
}

// The index holds nothing of its own: an unusable one is made again from the entries.
TEST_F(History, AnUnusableIndexIsMadeAgain)
{
    store->record(entry(Direction::In, EntryKind::Message, Bob, u"kept words"_s));
    store.reset();
    QFile index(dir.filePath(QString::fromLatin1(HistoryStore::SearchFileName)));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly) && index.write(QByteArray(8192, 'x')) == 8192);
    index.close();
    reopen();
    ASSERT_TRUE(indexed());
    EXPECT_EQ(store->search(u"words"_s).size(), 1);
}

TEST_F(History, ItsFilesAreReadableByTheUserAlone)
{
    store.reset();
    for (const char *name : {HistoryStore::FileName, HistoryStore::SearchFileName}) {
        QFile wide(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(wide.open(QIODevice::WriteOnly));
        wide.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    reopen();
    store->record(entry(Direction::In, EntryKind::Message, Bob, u"private"_s));
    ASSERT_TRUE(indexed());
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_EQ(files.size(), 6) << files.join(u' ').toStdString();
    for (const QString &name : files) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(dir.filePath(name)).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << name.toStdString();
    }
}

// A history it cannot open keeps nothing and reads empty, and the file stays as it was.
TEST(HistoryStore, AHistoryItCannotOpenIsLeftAlone)
{
    QTemporaryDir dir;
    const QByteArray garbage(8192, 'x');
    QFile file(dir.filePath(QString::fromLatin1(HistoryStore::FileName)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(garbage) == garbage.size());
    file.close();
    QFile::setPermissions(dir.filePath(u"notafolder"_s), {});
    ASSERT_TRUE(QFile(dir.filePath(u"notafolder"_s)).open(QIODevice::WriteOnly));
    for (const QString &folder : {dir.path(), dir.filePath(u"notafolder"_s), dir.filePath(u"missing/folder"_s)}) {
        HistoryStore store(folder, Timings{});
        EXPECT_FALSE(store.isOpen()) << folder.toStdString();
        store.record(entry(Direction::In, EntryKind::Message, Bob, u"lost"_s));
        EXPECT_TRUE(store.page(std::nullopt, 0, 10).isEmpty());
        EXPECT_TRUE(store.search(u"lost"_s).isEmpty());
        EXPECT_FALSE(store.clear(std::nullopt));
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

} // namespace
