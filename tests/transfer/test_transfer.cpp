// Two clients with their real local web servers: offers, downloads and the answers.
#include "PeerNetwork.h"
#include "QuibowebProcess.h"
#include "RawPeer.h"

#include "directory/DirectorySession.h"
#include "directory/Logoff.h"
#include "peer/PeerRecord.h"
#include "transfer/DownloadReply.h"
#include "transfer/FileDownload.h"
#include "transfer/PartRecords.h"
#include "transfer/ResumePlan.h"
#include "transfer/TransferCodes.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>
#include <sys/xattr.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes((size + 3) / 4 * 4, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    bytes.truncate(size);
    return bytes;
}

const QString NotWanted = u"bob Does Not Want The File|File Transfer Cancelled"_s;

// alice (loopback(2)) offers, bob (loopback(3)) receives from her quiboweb, serving her "html".
struct Transfer : ::testing::Test {
    PeerNetwork net;
    TestClient &alice = net.add(u"alice"_s, loopback(2), slowStart());
    TestClient &bob = net.add(u"bob"_s, loopback(3), slowStart());
    std::optional<QuibowebProcess> aliceWeb;
    QTemporaryDir outbox, inbox;

    static Timings slowStart()
    {
        Timings t = peerTimings();
        t.receiveStartDelay = std::chrono::milliseconds(300);
        t.downloadRetryWindow = std::chrono::seconds(20); // outlasts a restart of quiboweb
        return t;
    }

    void SetUp() override
    {
        net.befriend(alice, {u"LoopBack"_s, u"bob"_s, u"carol"_s});
        net.befriend(bob, {u"LoopBack"_s, u"alice"_s});
        ASSERT_TRUE(PeerNetwork::startListening(alice) && PeerNetwork::startListening(bob));
        ASSERT_TRUE(QDir(alice.dir.path()).mkpath(u"html/tmp"_s));
        startWeb();
        selectContact(alice, u"bob"_s);
        bob.transfer.saveFolder = inbox.path();
    }

    void startWeb()
    {
        // Holding alice's key, as her client starts it: classic downloads stay plain HTTP.
        aliceWeb.emplace(QStringList{u"--headless"_s, u"--root"_s, alice.dir.filePath(u"html"_s),
                                     u"--listen"_s, loopback(2) + u":%1"_s.arg(net.webPort())},
                         LocalWebServer::tlsIdentity(alice.client->workDir()));
        ASSERT_TRUE(aliceWeb->waitForOutput("Serving")) << aliceWeb->errorOutput().toStdString();
    }
    QString write(const QString &name, const QByteArray &bytes)
    {
        EXPECT_TRUE(writeFile(outbox.filePath(name), bytes));
        return outbox.filePath(name);
    }
    // alice sends `record`; bob answers the question and the save chooser as told.
    void send(const QString &record, bool yes = true, bool save = true)
    {
        bob.transfer.receiveAnswers = {yes};
        bob.transfer.saveAnswers = {save};
        ASSERT_TRUE(runToEnd(record.isEmpty() ? alice.client->fileOffers().SendFile()
                                              : alice.client->peerSender().SendPeerRecord(
                                                    loopback(3), record, DialogOwner::MainWindow)));
    }
    // alice offers the file at `path` through the chooser.
    void offer(const QString &path, bool yes = true, bool save = true)
    {
        alice.transfer.filesToSend.append(path);
        send({}, yes, save);
    }
    static bool saw(TestClient &c, const QString &line)
    {
        return waitFor([&] { return c.ui.log.contains(u"message|"_s + line); }, std::chrono::seconds(30));
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
        ASSERT_TRUE(writeFile(outbox.filePath(name), bytes + "later")); // the offer was a snapshot
        ASSERT_TRUE(saw(alice, u"bob Has Received %1|File Transfer Complete"_s.arg(name))) << c.size;
        EXPECT_EQ(readFile(inbox.filePath(name)), bytes) << name.toStdString();
        const auto download = bob.transfer.downloads.last();
        EXPECT_TRUE(download->finished);
        EXPECT_EQ(download->totalText, QString::number(c.size));
        EXPECT_EQ(download->progress.last(), c.size);
    }
    EXPECT_EQ(QDir(inbox.path()).entryList(QDir::Files).size(), std::size(cases)) << "no part is left";
    EXPECT_TRUE(bob.transfer.log.contains(u"receive?|alice|with spaces.txt|300 Bytes"_s));
    EXPECT_EQ(alice.transfer.log.mid(0, 2),
              (QStringList{u"choose file"_s, u"send file|empty.bin Is Being Sent"_s}));
    EXPECT_EQ(bob.client->fileReception().phase(), ReceptionPhase::Idle);
}

// A declined offer, a cancelled save and an unwritable target; the next offer is still asked.
TEST_F(Transfer, DeclineCancelAndUnwritableTargetAnswerNotWanted)
{
    offer(write(u"a.txt"_s, "a"), false);
    ASSERT_TRUE(saw(alice, NotWanted));
    alice.ui.log.clear();
    offer(write(u"b.txt"_s, "b"), true, false);
    ASSERT_TRUE(saw(alice, NotWanted));
    alice.ui.log.clear();
    bob.transfer.saveFolder = inbox.filePath(u"missing/folder"_s);
    offer(write(u"c.txt"_s, "c"));
    ASSERT_TRUE(saw(alice, NotWanted));
    EXPECT_TRUE(waitFor([&] { return bob.ui.log.filter(u"message|Cannot Write"_s).size() == 1; }));
    EXPECT_TRUE(QDir(inbox.path()).isEmpty());
    EXPECT_EQ(bob.client->fileReception().phase(), ReceptionPhase::Idle);
    bob.transfer.saveFolder = inbox.path();
    offer(write(u"d.txt"_s, "dd"));
    ASSERT_TRUE(saw(alice, u"bob Has Received d.txt|File Transfer Complete"_s));
}

// Past 4 GiB: the offer's digits, the progress and the file keep 64 bits, and the holes stay holes.
TEST_F(Transfer, ASparseFileOverFourGiBArrivesWithTheSameChecksum)
{
    const qint64 size = (qint64{1} << 32) + 12345;
    const QString path = outbox.filePath(u"huge.img"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    for (const qint64 at : {qint64{0}, (qint64{1} << 32) - 5, size - 100}) {
        ASSERT_TRUE(file.seek(at));
        ASSERT_EQ(file.write(randomBytes(100)), 100);
    }
    file.close();
    alice.transfer.filesToSend.append(path);
    bob.transfer.receiveAnswers = {true};
    bob.transfer.saveAnswers = {true};
    // The copy into "html/tmp" reads 4 GiB of holes: longer than an offer usually takes.
    ASSERT_TRUE(runToEnd(alice.client->fileOffers().SendFile(), std::chrono::minutes(5)));
    ASSERT_TRUE(waitFor(
        [&] { return alice.ui.log.contains(u"message|bob Has Received huge.img|File Transfer Complete"_s); },
        std::chrono::minutes(5)));
    EXPECT_TRUE(bob.transfer.log.contains(u"receive?|alice|huge.img|4294979641 Bytes"_s));
    EXPECT_EQ(bob.transfer.downloads.last()->progress.last(), size);
    const auto checksum = [](const QString &at) {
        QFile f(at);
        QCryptographicHash hash(QCryptographicHash::Md4); // a checksum, not a signature: the quickest Qt has
        return f.open(QIODevice::ReadOnly) && hash.addData(&f) ? hash.result() : QByteArray();
    };
    const QString received = inbox.filePath(u"huge.img"_s);
    EXPECT_EQ(QFileInfo(received).size(), size);
    EXPECT_EQ(checksum(received), checksum(path));
    for (const QString &at : {received, alice.dir.filePath(u"html/tmp/huge.img"_s)}) {
        struct stat st = {};
        ASSERT_EQ(::stat(QFile::encodeName(at).constData(), &st), 0);
        EXPECT_LT(st.st_blocks * 512, 64 << 20) << at.toStdString() << " is not sparse";
    }
}

// carol's offer meets bob downloading alice's: "|601" with her file's name, in 75 bytes.
TEST_F(Transfer, AnOfferDuringADownloadIsAnsweredBusyAndTheDownloadGoesOn)
{
    net.add(u"carol"_s, loopback(4));
    CaptureServer carol{loopback(4), net.port()};
    net.befriend(bob, {u"alice"_s, u"carol"_s});
    const QByteArray bytes = randomBytes(1 << 20);
    offer(write(u"first.bin"_s, bytes));
    ASSERT_TRUE(waitFor([&] { return bob.client->fileReception().phase() == ReceptionPhase::Downloading; }));
    ASSERT_TRUE(
        sendRaw(loopback(3), net.port(), peer::buildRecord(u"carol"_s, u"|6001<photo.png"_s, 522)));
    ASSERT_TRUE(carol.waitForRecords(1));
    EXPECT_EQ(carol.records.first(), QByteArray("bob||601photo.png").leftJustified(75, '\0'));
    ASSERT_TRUE(saw(alice, u"bob Has Received first.bin|File Transfer Complete"_s));
    EXPECT_EQ(readFile(inbox.filePath(u"first.bin"_s)), bytes);
    EXPECT_EQ(bob.transfer.log.filter(u"receive?"_s).size(), 1) << "bob was not asked twice";
}

// quiboweb killed mid-file: bob tries again until it is back, and asks only for the rest; a file
// changed meanwhile comes whole again, and one no longer served leaves the part with its offer.
TEST_F(Transfer, ACutDownloadResumesRestartsOnAChangedFileAndKeepsThePartWhenGone)
{
    enum Meanwhile { Nothing, Changed, Removed };
    for (const Meanwhile meanwhile : {Nothing, Changed, Removed}) {
        alice.ui.log.clear();
        bob.ui.log.clear();
        const QByteArray bytes = randomBytes(256 << 20);
        offer(write(u"large.bin"_s, bytes));
        ASSERT_TRUE(waitFor([&] {
            const auto &d = bob.transfer.downloads;
            return d.size() > meanwhile && !d.last()->progress.isEmpty() && d.last()->progress.last() > 0;
        }));
        aliceWeb.reset(); // killed
        const auto download = bob.transfer.downloads.last();
        ASSERT_TRUE(waitFor([&] { return !download->retries.isEmpty(); }));
        const qint64 held = download->progress.last();
        const qsizetype cutAt = download->progress.size();
        const QString served = alice.dir.filePath(u"html/tmp/large.bin"_s);
        QByteArray other = bytes;
        other[0] = char(~other[0]);
        if (meanwhile == Changed) {
            ASSERT_TRUE(writeFile(served, other));
        } else if (meanwhile == Removed) {
            ASSERT_TRUE(QFile::remove(served));
        }
        startWeb();
        const QString part = inbox.filePath(u"large.bin.part"_s);
        if (meanwhile == Removed) {
            ASSERT_TRUE(saw(bob, u"Lost Connection - Code 1051|Sender May Have Logged Off"_s));
            EXPECT_TRUE(readFile(part) == bytes.left(download->progress.last()));
            char note[100] = {};
            ::getxattr(QFile::encodeName(part).constData(), FileDownload::PartNoteAttribute, note,
                       sizeof note - 1);
            EXPECT_EQ(QByteArray(note), "alice\n" + loopback(2).toLatin1() + "\n268435456\nlarge.bin");
        } else {
            ASSERT_TRUE(saw(alice, u"bob Has Received large.bin|File Transfer Complete"_s)) << meanwhile;
            EXPECT_TRUE(readFile(inbox.filePath(u"large.bin"_s)) == (meanwhile == Changed ? other : bytes));
            // Only a changed file is fetched from zero again.
            const QList<qint64> after = download->progress.mid(cutAt);
            EXPECT_EQ(std::ranges::any_of(after, [&](qint64 got) { return got < held; }),
                      meanwhile == Changed)
                << held;
            EXPECT_EQ(download->retries.last(), 0) << "the window said it was going again";
            EXPECT_FALSE(QFile::exists(part));
        }
        EXPECT_TRUE(download->finished);
        EXPECT_EQ(bob.client->fileReception().phase(), ReceptionPhase::Idle);
    }
}

// Between secure clients the file comes over HTTPS, and a cut download goes on from what came.
TEST_F(Transfer, ACutHttpsDownloadResumesWhereItWas)
{
    net.trustKeys(alice, {u"bob"_s});
    net.trustKeys(bob, {u"alice"_s});
    const QByteArray bytes = randomBytes(64 << 20); // far more than a socket's buffers hold at the cut
    offer(write(u"large.bin"_s, bytes));
    ASSERT_TRUE(waitFor([&] {
        const auto &d = bob.transfer.downloads;
        return !d.isEmpty() && !d.last()->progress.isEmpty() && d.last()->progress.last() > 0;
    }));
    aliceWeb.reset(); // killed
    const auto download = bob.transfer.downloads.last();
    ASSERT_TRUE(waitFor([&] { return !download->retries.isEmpty(); }));
    const qint64 held = download->progress.last();
    const qsizetype cutAt = download->progress.size();
    startWeb();
    ASSERT_TRUE(saw(alice, u"bob Has Received large.bin|File Transfer Complete"_s));
    EXPECT_TRUE(readFile(inbox.filePath(u"large.bin"_s)) == bytes);
    EXPECT_TRUE(std::ranges::none_of(download->progress.mid(cutAt), [&](qint64 got) { return got < held; }));
}

// A new offer of a file bob holds a part of (alice restarted, say): he is asked, and goes on where
// the part is when its last bytes are those served; a part of another file, or one labelled with
// another offer, is never joined.
TEST_F(Transfer, ANewOfferOfAPartlyReceivedFileResumesIntoTheSamePlace)
{
    const QByteArray bytes = randomBytes(4 << 20);
    const QString target = inbox.filePath(u"again.bin"_s), part = target + u".part"_s;
    const struct {
        QByteArray part;
        QByteArray label;
        bool asked, resumed;
    } cases[] = {
        {bytes.left(1 << 20), "alice\n" + loopback(9).toLatin1() + "\n4194304\nagain.bin", true, true},
        {bytes.left(3 << 20), "", true, true}, // a file system without labels
        {randomBytes(1 << 20), "alice\n" + loopback(2).toLatin1() + "\n4194304\nagain.bin", true, false},
        {bytes.left(1 << 20), "carol\n" + loopback(2).toLatin1() + "\n4194304\nagain.bin", false,
         false}, // another sender's
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(writeFile(part, c.part));
        if (!c.label.isEmpty()) {
            ASSERT_EQ(::setxattr(QFile::encodeName(part).constData(), FileDownload::PartNoteAttribute,
                                 c.label.constData(), size_t(c.label.size()), 0),
                      0);
        }
        const QList<transfer::PartRecord> records{{u"alice"_s, u"4194304"_s, u"again.bin"_s, target}};
        ASSERT_TRUE(writeFile(bob.dir.filePath(u"parts.json"_s), transfer::writePartRecords(records)));
        bob.transfer.log.clear();
        alice.ui.log.clear();
        bob.transfer.resumeAnswers = {true};
        offer(write(u"again.bin"_s, bytes));
        ASSERT_TRUE(saw(alice, u"bob Has Received again.bin|File Transfer Complete"_s)) << c.label.constData();
        EXPECT_TRUE(readFile(target) == bytes) << c.label.constData();
        EXPECT_FALSE(QFile::exists(part));
        const QString asked = u"resume?|again.bin|%1|%2|4194304"_s.arg(part).arg(c.part.size());
        EXPECT_EQ(bob.transfer.log.mid(1, 1), QStringList{c.asked ? asked : u"save as|again.bin"_s})
            << c.label.constData();
        const QList<qint64> progress = bob.transfer.downloads.last()->progress;
        if (c.asked) { // from zero again when the part's end is not the file's
            EXPECT_EQ(std::ranges::all_of(progress, [&](qint64 got) { return got >= c.part.size(); }),
                      c.resumed);
        }
        QFile::remove(target);
    }
    EXPECT_TRUE(transfer::readPartRecords(readFile(bob.dir.filePath(u"parts.json"_s))).isEmpty())
        << "a whole file is part of nothing";
}

TEST(ResumePlan, RangesFollowTheValidatorAndRetriesGrowWithinTheWindow)
{
    using transfer::ReplyUse;
    const transfer::HeldPart held{100, "\"v1\""};
    EXPECT_EQ(transfer::resumeFields(held),
              (transfer::HeaderFields{{"Range", "bytes=100-"}, {"If-Range", "\"v1\""}}));
    EXPECT_TRUE(transfer::resumeFields({0, "\"v1\""}).isEmpty()) << "nothing held";
    EXPECT_TRUE(transfer::resumeFields({100, "W/\"v1\""}).isEmpty()) << "a weak tag checks nothing";
    EXPECT_EQ(transfer::strongTag(" \"a\" "), "\"a\"");
    const struct {
        int status;
        const char *contentRange;
        transfer::HeldPart held;
        ReplyUse use;
    } cases[] = {
        {206, "bytes 100-999/1000", held, ReplyUse::Append},
        {200, "", held, ReplyUse::FromStart}, // another version: never joined
        {206, "bytes 0-999/1000", held, ReplyUse::Refuse},
        {206, "bytes 100-500/1000", held, ReplyUse::Refuse},
        {206, "bytes 100-1999/2000", held, ReplyUse::Refuse}, // not the offered size
        {206, "bytes */1000", held, ReplyUse::Refuse},
        {206, "bytes 100-999/1000", {100, ""}, ReplyUse::Refuse}, // never asked for
        {416, "bytes */1000", held, ReplyUse::Refuse},
        {404, "", held, ReplyUse::Refuse},
        {206, "bytes 4294967296-8589934591/8589934592", {4294967296, "\"v\""}, ReplyUse::Refuse},
    };
    for (const auto &c : cases)
        EXPECT_EQ(transfer::judgeReply(c.status, c.contentRange, c.held, 1000), c.use) << c.contentRange;
    EXPECT_EQ(transfer::judgeReply(206, "bytes 4294967296-8589934591/8589934592", {4294967296, "\"v\""},
                                   8589934592),
              ReplyUse::Append);

    using std::chrono::milliseconds;
    const Timings t; // 0.5 s doubled up to 8 s, within a minute
    QList<qint64> pauses;
    milliseconds since{0};
    for (int attempt = 1; const auto pause = transfer::retryPause(attempt, since, t); ++attempt) {
        pauses.append(pause->count());
        since += *pause;
    }
    EXPECT_EQ(pauses, (QList<qint64>{500, 1000, 2000, 4000, 8000, 8000, 8000, 8000, 8000, 8000}));
}

// "0" is an offline contact; as 0.0.0.0 it would reach bob's own web server and its "html/tmp".
TEST_F(Transfer, AnOfferFromAContactAtAddressZeroIsALostConnection)
{
    ASSERT_TRUE(writeFile(bob.dir.filePath(u"html/tmp/own.txt"_s), "bob's own"));
    QuibowebProcess bobWeb({u"--headless"_s, u"--root"_s, bob.dir.filePath(u"html"_s), u"--listen"_s,
                            u"127.0.0.1:%1"_s.arg(net.webPort())});
    ASSERT_TRUE(bobWeb.waitForOutput("Serving"));
    net.befriend(bob, {u"carol"_s}); // no such client: "0"
    bob.transfer.receiveAnswers = {true};
    bob.transfer.saveAnswers = {true};
    ASSERT_TRUE(sendRaw(loopback(3), net.port(), peer::buildRecord(u"carol"_s, u"|6009<own.txt"_s, 522)));
    ASSERT_TRUE(saw(bob, u"Lost Connection - Code 1051|Sender May Have Logged Off"_s));
    EXPECT_EQ(bob.transfer.log, QStringList{u"receive?|carol|own.txt|9 Bytes"_s});
    EXPECT_TRUE(QDir(inbox.path()).isEmpty());
}

// A wrong length keeps the part that arrived, never past the offered size; an error page for a
// missing file or one outside "tmp" keeps nothing.
TEST_F(Transfer, AWrongLengthKeepsAPartAnErrorPageOrAHostileNameNothing)
{
    ASSERT_TRUE(writeFile(alice.dir.filePath(u"html/tmp/real.txt"_s), "12345"));
    ASSERT_TRUE(writeFile(alice.dir.filePath(u"html/escape.txt"_s), "12345"));
    const QString inner = inbox.filePath(u"in"_s);
    ASSERT_TRUE(QDir().mkpath(inner));
    bob.transfer.saveFolder = inner;
    const struct {
        const char16_t *record, *suggested;
        const char *part;
    } cases[] = {{u"|6003<real.txt", u"real.txt", "123"},
                 {u"|60099<real.txt", u"real.txt", "12345"},
                 {u"|6005<missing.txt", u"missing.txt", "<missing>"},
                 {u"|6005<../escape.txt", u"escape.txt", "<missing>"}};
    for (const auto &c : cases) {
        const QString record = QString::fromUtf16(c.record);
        alice.ui.log.clear();
        send(record);
        ASSERT_TRUE(saw(alice, NotWanted)) << record.toStdString();
        EXPECT_EQ(bob.transfer.log.constLast(), u"save as|"_s + QString::fromUtf16(c.suggested));
        const QString part = QDir(inner).filePath(QString::fromUtf16(c.suggested) + u".part"_s);
        EXPECT_EQ(readFile(part), c.part) << record.toStdString();
        QFile::remove(part);
        EXPECT_TRUE(QDir(inner).isEmpty()) << record.toStdString();
    }
    EXPECT_EQ(QDir(inbox.path()).entryList(QDir::Files), QStringList()) << "nothing escaped the folder";
    EXPECT_EQ(bob.ui.log.filter(u"Was Not Received Whole|File Transfer Cancelled"_s).size(), 4);
}

// A file dropped on bob in alice's list is offered as Send File offers it; dropped on no contact,
// as a folder or several files, or on a contact gone offline, alice is told why and nothing goes.
TEST_F(Transfer, AFileDroppedOnAContactIsOfferedAnythingElseSaysWhy)
{
    ContactTable &contacts = alice.client->contacts();
    const int bobIndex = *contacts.FindContactByHandle(u"bob"_s);
    const int bobAt = contacts.contact(bobIndex).listIndex;
    const QString file = write(u"dropped.txt"_s, "dropped");
    const struct {
        int position;
        QStringList paths;
        const char16_t *told;
    } refused[] = {
        {-1, {file}, u"Drop The File On A Contact|No File Was Sent"},
        {bobAt, {outbox.path()}, u"Only Files Can Be Sent|No File Was Sent"},
        {bobAt, {file, file}, u"Drop One File At A Time|No File Was Sent"},
    };
    for (const auto &c : refused) {
        Q_EMIT alice.mainWindow.filesDropped(c.position, c.paths);
        ASSERT_TRUE(saw(alice, QString::fromUtf16(c.told)));
    }
    bob.transfer.receiveAnswers = {true};
    bob.transfer.saveAnswers = {true};
    Q_EMIT alice.mainWindow.filesDropped(bobAt, {file});
    ASSERT_TRUE(saw(alice, u"bob Has Received dropped.txt|File Transfer Complete"_s));
    EXPECT_EQ(readFile(inbox.filePath(u"dropped.txt"_s)), "dropped");
    EXPECT_EQ(bob.transfer.log.filter(u"receive?"_s), QStringList{u"receive?|alice|dropped.txt|7 Bytes"_s});
    contacts.setAddress(bobIndex, u"0"_s);
    Q_EMIT alice.mainWindow.filesDropped(bobAt, {file});
    ASSERT_TRUE(saw(alice, u"bob Is Offline|No File Was Sent"_s));
}

TEST(FileNames, OfferedNamesBecomePlainFileNames)
{
    const struct {
        const char16_t *offered, *clean;
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
    selectContact(alice, u"carol"_s); // offline: the offers go nowhere
    for (int i = 0; i < 105; ++i)
        offer(write(u"f%1.txt"_s.arg(i), "x"));
    const QDir tmp(alice.dir.filePath(u"html/tmp"_s));
    ASSERT_EQ(tmp.entryList(QDir::Files).size(), 105);
    ClientSetup::loggedOff(*alice.client); // logoff then only cleans up and ends
    alice.mainWindow.choose(Command::LogOff);
    ASSERT_TRUE(waitFor([&] { return alice.process.ended(); }));
    EXPECT_TRUE(tmp.entryList(QDir::Files).isEmpty());
    EXPECT_EQ(QDir(outbox.path()).entryList(QDir::Files).size(), 105) << "the originals stay";
}

TEST(FileNames, AnOfferNeedsALessThanAfterTheCode)
{
    struct Case {
        const char16_t *body;
        bool ok;
        const char16_t *size;
        const char16_t *name;
    };
    const Case cases[] = {
        {u"|6001234<song.mp3", true, u"1234", u"song.mp3"},
        {u"|600<empty size", true, u"", u"empty size"},
        {u"|6001234567890123<big.iso", true, u"1234567890123", u"big.iso"},
        {u"|600a<b<c", true, u"a", u"b<c"},
        {u"|6001234", false, u"", u""},
        {u"|601x<y", false, u"", u""},
    };
    for (const Case &c : cases) {
        const auto offer = transfer::parseOffer(QString::fromUtf16(c.body));
        ASSERT_EQ(offer.has_value(), c.ok) << QString::fromUtf16(c.body).toStdString();
        if (offer) {
            EXPECT_EQ(offer->sizeText, QString::fromUtf16(c.size));
            EXPECT_EQ(offer->fileName, QString::fromUtf16(c.name));
        }
    }
}

// The HTTPS download frames the body itself: only a head whose length is certain is taken.
TEST(ResponseHead, TakenOnlyWhenTheBodyCanBeFramed)
{
    const struct {
        const char *head;
        int status;      // 0: refused
        qint64 length;
    } cases[] = {
        {"HTTP/1.1 206 Partial Content\r\nContent-Length: 12\r\nETag: \"a\"", 206, 12},
        {"HTTP/1.0 200 OK\r\nServer: x", 200, -1},
        {"HTTP/1.1 304 Not Modified\r\nContent-Length: 99", 304, 0},
        {"HTTP/1.1 200\r\ncontent-length: 5\r\nContent-Length: 5", 200, 5},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6", 0, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: -5", 0, 0},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked", 0, 0},
        {"HTTP/1.1 200 OK\r\n folded: line", 0, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length : 5\r\nContent-Length: 6", 0, 0},
        {"HTTP/1.1 200 OK\r\n\r: x", 0, 0}, // no name
        {"HTTP/1.1 000 None yet", 0, 0},
        {"HTTP/2 200", 0, 0},
        {"ICY 200 OK", 0, 0},
    };
    for (const auto &c : cases) {
        const std::optional<ResponseHead> head = parseResponseHead(c.head);
        EXPECT_EQ(head ? head->status : 0, c.status) << c.head;
        EXPECT_EQ(head ? head->contentLength : 0, c.length) << c.head;
    }
}
