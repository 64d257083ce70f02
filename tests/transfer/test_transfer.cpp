// Two clients with their real local web servers: offers, downloads and the answers.
#include "PeerNetwork.h"
#include "WebServerProcess.h"

#include "directory/DirectorySession.h"
#include "directory/Logoff.h"
#include "transfer/FileDownload.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

bool finish(QCoro::Task<> task)
{
    bool done = false;
    task.then([&done] { done = true; });
    return waitFor([&done] { return done; }, std::chrono::seconds(30));
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// alice (127.0.0.2) offers, bob (127.0.0.3) receives; both serve their "html" with quiboweb.
struct Transfer : ::testing::Test {
    PeerNetwork net;
    TestClient &alice = net.add(QStringLiteral("alice"), QStringLiteral("127.0.0.2"), slowStart());
    TestClient &bob = net.add(QStringLiteral("bob"), QStringLiteral("127.0.0.3"), slowStart());
    WebServerProcess aliceWeb, bobWeb;
    QTemporaryDir outbox, inbox;

    static Timings slowStart()
    {
        Timings t = peerTimings();
        t.receiveStartDelay = std::chrono::milliseconds(300);
        return t;
    }

    void SetUp() override
    {
        for (TestClient *c : {&alice, &bob})
            ASSERT_TRUE(QDir(c->dir.path()).mkpath(QStringLiteral("html/tmp")));
        net.befriend(alice, {QStringLiteral("LoopBack"), QStringLiteral("bob"), QStringLiteral("carol")});
        net.befriend(bob, {QStringLiteral("LoopBack"), QStringLiteral("alice")});
        ASSERT_TRUE(PeerNetwork::startListening(alice));
        ASSERT_TRUE(PeerNetwork::startListening(bob));
        ASSERT_TRUE(aliceWeb.start(alice.dir.filePath(QStringLiteral("html")), QStringLiteral("127.0.0.2"),
                                   net.webPort()))
            << aliceWeb.output().toStdString();
        ASSERT_TRUE(bobWeb.start(bob.dir.filePath(QStringLiteral("html")), QStringLiteral("127.0.0.3"),
                                 net.webPort()));
        selectContact(alice, QStringLiteral("bob"));
        bob.transfer.saveFolder = inbox.path();
    }

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = QDir(outbox.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // alice offers `path`; bob answers the question and the save chooser as told.
    void offer(const QString &path, bool yes = true, bool save = true)
    {
        alice.transfer.filesToSend.append(path);
        bob.transfer.receiveAnswers.append(yes);
        if (yes)
            bob.transfer.saveAnswers.append(save);
        ASSERT_TRUE(finish(alice.client->fileOffers().SendFile()));
    }
    bool aliceSaw(const QString &line)
    {
        return waitFor([&] { return alice.ui.log.contains(QStringLiteral("message|") + line); },
                       std::chrono::seconds(30));
    }
};

} // namespace

TEST_F(Transfer, FilesOfEverySizeAndNameArriveByteIdentical)
{
    const struct {
        const char16_t *name;
        qsizetype size;
    } cases[] = {
        {u"empty.bin", 0},   {u"one.bin", 1},        {u"short.bin", 4095},      {u"block.bin", 4096},
        {u"over.bin", 4097}, {u"big.bin", 10 << 20}, {u"with spaces.txt", 300}, {u"Größe señal ÿ.txt", 123},
    };
    for (const auto &c : cases) {
        const QString name = QString::fromUtf16(c.name);
        const QByteArray bytes = randomBytes(c.size);
        offer(write(name, bytes));
        ASSERT_TRUE(aliceSaw(QStringLiteral("bob Has Received %1|File Transfer Complete").arg(name)))
            << c.size;
        EXPECT_EQ(readAll(QDir(inbox.path()).filePath(name)), bytes) << name.toStdString();
        const auto download = bob.transfer.downloads.last();
        EXPECT_TRUE(download->finished);
        EXPECT_EQ(download->totalText, QString::number(c.size));
        EXPECT_EQ(download->progress.last(), c.size);
    }
    EXPECT_TRUE(bob.transfer.log.contains(QStringLiteral("receive?|alice|with spaces.txt|300 Bytes")));
    EXPECT_EQ(alice.transfer.log.first(), QStringLiteral("choose file"));
    EXPECT_EQ(alice.transfer.log.at(1), QStringLiteral("send file|empty.bin Is Being Sent"));
    EXPECT_FALSE(bob.client->fileReception().receiving);
}

TEST_F(Transfer, DeclineAndCancelledSaveAnswerNotWanted)
{
    offer(write(QStringLiteral("a.txt"), "a"), false);
    ASSERT_TRUE(aliceSaw(QStringLiteral("bob Does Not Want The File|File Transfer Cancelled")));
    alice.ui.log.clear();
    offer(write(QStringLiteral("b.txt"), "b"), true, false);
    ASSERT_TRUE(aliceSaw(QStringLiteral("bob Does Not Want The File|File Transfer Cancelled")));
    EXPECT_TRUE(QDir(inbox.path()).isEmpty());
    EXPECT_FALSE(bob.client->fileReception().receiving);
}

TEST_F(Transfer, AnOfferDuringADownloadIsAnsweredBusyAndTheDownloadGoesOn)
{
    const QByteArray bytes = randomBytes(1 << 20);
    offer(write(QStringLiteral("first.bin"), bytes));
    ASSERT_TRUE(waitFor([&] { return bob.client->fileReception().receiving; }));
    offer(write(QStringLiteral("second.bin"), "2"));
    ASSERT_TRUE(aliceSaw(QStringLiteral("bob Is Busy Receiving Another File|Try To Send It Again Later")));
    ASSERT_TRUE(aliceSaw(QStringLiteral("bob Has Received first.bin|File Transfer Complete")));
    EXPECT_EQ(readAll(QDir(inbox.path()).filePath(QStringLiteral("first.bin"))), bytes);
    EXPECT_EQ(bob.transfer.log.filter(QStringLiteral("receive?")).size(), 1) << "bob was not asked twice";
}

TEST_F(Transfer, ASenderServerStoppedMidTransferIsALostConnection)
{
    QByteArray bytes(256 << 20, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    offer(write(QStringLiteral("large.bin"), bytes));
    bytes.clear();
    ASSERT_TRUE(waitFor([&] {
        return !bob.transfer.downloads.isEmpty() && !bob.transfer.downloads.last()->progress.isEmpty() &&
               bob.transfer.downloads.last()->progress.last() > 0;
    }));
    aliceWeb.stop();
    ASSERT_TRUE(waitFor([&] {
        return bob.ui.log.contains(
            QStringLiteral("message|Lost Connection - Code 1051|Sender May Have Logged Off"));
    }));
    EXPECT_TRUE(bob.transfer.downloads.last()->finished);
    EXPECT_FALSE(bob.client->fileReception().receiving);
    EXPECT_TRUE(QDir(inbox.path()).isEmpty()) << "the part received is not kept";
}

TEST_F(Transfer, AHostileNameIsSavedInsideTheChosenFolderOnly)
{
    const QString inner = QDir(inbox.path()).filePath(QStringLiteral("in"));
    ASSERT_TRUE(QDir().mkpath(inner));
    bob.transfer.saveFolder = inner;
    // "../escape.txt" exists on alice's server, one level above "tmp".
    QFile served(alice.dir.filePath(QStringLiteral("html/escape.txt")));
    ASSERT_TRUE(served.open(QIODevice::WriteOnly));
    served.write("12345");
    served.close();
    bob.transfer.receiveAnswers = {true};
    bob.transfer.saveAnswers = {true};
    ASSERT_TRUE(finish(alice.client->peerSender().SendPeerRecord(QStringLiteral("|6005<../escape.txt"),
                                                                 DialogOwner::MainWindow)));
    ASSERT_TRUE(aliceSaw(QStringLiteral("bob Does Not Want The File|File Transfer Cancelled")));
    EXPECT_EQ(bob.transfer.suggestedNames, QStringList{QStringLiteral("escape.txt")});
    EXPECT_FALSE(QFile::exists(QDir(inbox.path()).filePath(QStringLiteral("escape.txt"))));
    EXPECT_TRUE(QDir(inner).isEmpty()) << "the reply was not the offered file: nothing is kept";
}

TEST_F(Transfer, AnErrorPageOrAWrongLengthIsAFailedTransfer)
{
    QFile served(alice.dir.filePath(QStringLiteral("html/tmp/real.txt")));
    ASSERT_TRUE(served.open(QIODevice::WriteOnly));
    served.write("12345");
    served.close();
    for (const char16_t *offer : {u"|6003<real.txt", u"|60099<real.txt", u"|6005<missing.txt"}) {
        alice.ui.log.clear();
        bob.transfer.receiveAnswers = {true};
        bob.transfer.saveAnswers = {true};
        ASSERT_TRUE(finish(
            alice.client->peerSender().SendPeerRecord(QString::fromUtf16(offer), DialogOwner::MainWindow)));
        ASSERT_TRUE(aliceSaw(QStringLiteral("bob Does Not Want The File|File Transfer Cancelled")));
        EXPECT_TRUE(waitFor([&] {
            return bob.ui.log.constLast().endsWith(u" Was Not Received Whole|File Transfer Cancelled");
        }));
        EXPECT_TRUE(QDir(inbox.path()).isEmpty()) << QString::fromUtf16(offer).toStdString();
    }
}

TEST(FileNames, OfferedNamesBecomePlainFileNames)
{
    const struct {
        const char16_t *offered;
        const char16_t *clean;
    } cases[] = {
        {u"report.doc", u"report.doc"},
        {u"../../etc/passwd", u"passwd"},
        {u"a\\b\\c.txt", u"c.txt"},
        {u"", u"received file"},
        {u"..", u"received file"},
        {u"dir/", u"received file"},
        {u"a\u0001\u007fb\n.txt", u"ab.txt"},
        {u" spaced name ", u"spaced name"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FileReception::cleanFileName(QString::fromUtf16(c.offered)), QString::fromUtf16(c.clean))
            << QString::fromUtf16(c.offered).toStdString();
}

TEST_F(Transfer, LogoffRemovesEveryOfferedCopyBeyondAHundred)
{
    selectContact(alice, QStringLiteral("carol")); // offline: the offers go nowhere
    for (int i = 0; i < 105; ++i) {
        alice.transfer.filesToSend.append(write(QStringLiteral("f%1.txt").arg(i), "x"));
        ASSERT_TRUE(finish(alice.client->fileOffers().SendFile()));
    }
    const QDir tmp(alice.dir.filePath(QStringLiteral("html/tmp")));
    ASSERT_EQ(tmp.entryList(QDir::Files).size(), 105);
    alice.client->logon().notLoggedOn = true; // logoff then only cleans up and ends
    ASSERT_TRUE(finish(alice.client->directorySession().logoff().LogOff(DialogOwner::MainWindow)));
    EXPECT_TRUE(tmp.entryList(QDir::Files).isEmpty());
    EXPECT_EQ(QDir(outbox.path()).entryList(QDir::Files).size(), 105) << "the originals stay";
}

TEST_F(Transfer, AnUnwritableTargetIsReportedAndTheNextOfferIsAsked)
{
    bob.transfer.saveFolder = inbox.filePath(QStringLiteral("missing/folder"));
    offer(write(QStringLiteral("a.txt"), "a"));
    ASSERT_TRUE(aliceSaw(QStringLiteral("bob Does Not Want The File|File Transfer Cancelled")));
    EXPECT_TRUE(
        waitFor([&] { return bob.ui.log.filter(QStringLiteral("message|Cannot Write")).size() == 1; }));
    bob.transfer.saveFolder = inbox.path();
    offer(write(QStringLiteral("b.txt"), "bb"));
    ASSERT_TRUE(aliceSaw(QStringLiteral("bob Has Received b.txt|File Transfer Complete")));
}
