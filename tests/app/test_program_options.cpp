// The program's start: its options, its working folder, the start-up dialog; and the small
// parsers of its settings.
#include "TestClient.h"

#include "app/ProgramOptions.h"
#include "app/WorkingFolder.h"
#include "base/Config.h"
#include "base/Utf8.h"
#include "keys/KeyMaking.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;
using Action = ProgramOptions::Action;

TEST(ProgramOptions, ParsesTheFolderAndRefusesTheRest)
{
    struct Case {
        QStringList arguments;
        Action action;
        QString folder;
        QString error;
        bool connect = false;
    };
    const Case cases[] = {
        {{}, Action::Run, {}, {}},
        {{u"--folder"_s, u"/srv/q"_s}, Action::Run, u"/srv/q"_s, {}},
        {{u"--folder=/srv/q"_s}, Action::Run, u"/srv/q"_s, {}},
        {{u"--connect"_s, u"--folder"_s, u"/srv/q"_s}, Action::Run, u"/srv/q"_s, {}, true},
        {{u"--folder"_s}, Action::Error, {}, u"--folder needs a folder"_s},
        {{u"--folder="_s}, Action::Error, {}, u"--folder needs a folder"_s},
        {{u"--fast"_s}, Action::Error, {}, u"unknown option --fast"_s},
        {{u"here"_s}, Action::Error, {}, u"unexpected argument \"here\""_s},
        {{u"--fast"_s, u"--help"_s}, Action::Help, {}, {}},
        {{u"--folder"_s, u"x"_s, u"--version"_s}, Action::Version, {}, {}},
    };
    for (const Case &c : cases) {
        const ProgramOptions options = parseProgramOptions(c.arguments);
        EXPECT_EQ(options.action, c.action) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(options.folder, c.folder) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(options.error, c.error) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(options.connect, c.connect) << c.arguments.join(u' ').toStdString();
    }
}

TEST(WorkingFolder, NamedThenCurrentWithAWorkingSetThenDataHome)
{
    QTemporaryDir current;
    const QString home = u"/home/u/.local/share/quibo32"_s;
    EXPECT_EQ(chooseWorkingFolder({}, current.path(), home), home) << "an empty folder is not a working set";
    EXPECT_EQ(chooseWorkingFolder(u"/srv/q"_s, current.path(), home), u"/srv/q"_s);
    for (const QString &marker : {u"contacts.dat"_s, u"userinfo.dat"_s}) {
        QTemporaryDir set;
        QFile(QDir(set.path()).filePath(marker)).open(QIODevice::WriteOnly);
        EXPECT_EQ(chooseWorkingFolder({}, set.path(), home), set.path()) << marker.toStdString();
    }
}

TEST(WorkingFolder, SeedsANewFolderOnlyOnce)
{
    QTemporaryDir root;
    const QDir installed(root.filePath(u"share"_s));
    QDir().mkpath(installed.path());
    QDir().mkpath(installed.filePath(u"not-copied"_s));
    for (const QString &name : {u"lol.snd"_s, u"bg.gif"_s}) {
        QFile file(installed.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name.toUtf8());
        file.setPermissions(QFile::ReadOwner); // as read-only as in /usr/share
    }
    const QString folder = root.filePath(u"data/quibo32"_s);
    ASSERT_TRUE(seedWorkingFolder(folder, installed.path()));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{u"bg.gif"_s, u"lol.snd"_s}));
    EXPECT_FALSE(QFileInfo::exists(folder + u".part"_s));
    EXPECT_TRUE(QFile(QDir(folder).filePath(u"bg.gif"_s)).remove()) << "the copies are the user's own";

    ASSERT_TRUE(seedWorkingFolder(folder, installed.path()));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{u"lol.snd"_s})
        << "a second start copies nothing";

    QFile plain(root.filePath(u"plain"_s));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    EXPECT_FALSE(seedWorkingFolder(plain.fileName(), installed.path()));
}

TEST(Utf8Cut, NeverSplitsACharacter)
{
    struct Case {
        const char16_t *text;
        qsizetype maxBytes;
        const char16_t *expected;
    };
    const Case cases[] = {
        {u"hello", 10, u"hello"},           {u"hello", 3, u"hel"},
        {u"h\u00e9llo", 2, u"h"},           {u"h\u00e9llo", 3, u"h\u00e9"},
        {u"\u20ac\u20ac", 5, u"\u20ac"},    {u"\U0001F600x", 3, u""},
        {u"\U0001F600x", 4, u"\U0001F600"}, {u"abc", 0, u""},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(utf8::cut(text, c.maxBytes), QString::fromUtf16(c.expected))
            << text.toStdString() << " " << c.maxBytes;
        EXPECT_LE(utf8::encodeCut(text, c.maxBytes).size(), c.maxBytes);
    }
}

TEST(ConfigDirectory, AcceptsHostAndHostPort)
{
    Config c;
    EXPECT_TRUE(c.setDirectory(QStringLiteral("dir.example")));
    EXPECT_EQ(c.directoryAuthority(), QStringLiteral("dir.example"));
    EXPECT_TRUE(c.setDirectory(QStringLiteral("127.0.0.1:8080")));
    EXPECT_EQ(c.directoryHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(c.directoryPort, 8080);
    EXPECT_EQ(c.directoryAuthority(), QStringLiteral("127.0.0.1:8080"));
    EXPECT_TRUE(c.setDirectory(QStringLiteral("[2001:db8::1]:8080")));
    EXPECT_EQ(c.directoryHost, QStringLiteral("2001:db8::1"));
    EXPECT_EQ(c.directoryAuthority(), QStringLiteral("[2001:db8::1]:8080"));
    for (const char *bad : {"", ":80", "host:", "host:0", "host:99999", "host:x", "[]:80"})
        EXPECT_FALSE(c.setDirectory(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(c.directoryHost, QStringLiteral("2001:db8::1")) << "a bad value changes nothing";
}

TEST(ConfigDirectory, HttpsAndAPinAskForTls)
{
    Config c;
    ASSERT_TRUE(c.setDirectory(QStringLiteral("https://dir.example")));
    EXPECT_TRUE(c.directoryHttps);
    EXPECT_EQ(c.directoryPort, 443);
    EXPECT_EQ(c.directoryOrigin(), QStringLiteral("https://dir.example"));
    ASSERT_TRUE(c.setDirectory(QStringLiteral("https://dir.example:8443")));
    EXPECT_EQ(c.directoryOrigin(), QStringLiteral("https://dir.example:8443"));
    EXPECT_FALSE(c.setDirectory(QStringLiteral("https://")));
    // The form people read to each other is a pin too, in either case.
    const QByteArray key = QByteArray("0123456789abcdef").repeated(4);
    ASSERT_TRUE(c.setDirectoryPin(keys::readableFingerprint(key).toUpper()));
    EXPECT_EQ(c.directoryPin, key);
    for (const QString &bad : {QString(63, u'a'), QString(64, u'g'), QString(65, u'a')})
        EXPECT_FALSE(c.setDirectoryPin(bad));
}

TEST(ConfigPorts, TakesFourPortsOrNothing)
{
    Config c;
    EXPECT_TRUE(c.setPorts(QStringLiteral("6800, 6900,5690,8000")));
    EXPECT_EQ(std::vector<int>({c.peerPort, c.channelPort, c.privateChatPort, c.webPort}),
              std::vector<int>({6800, 6900, 5690, 8000}));
    for (const char *bad : {"", "1,2,3", "1,2,3,4,5", "1,2,3,0", "1,2,3,65536", "1,2,x,4"})
        EXPECT_FALSE(c.setPorts(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(c.webPort, 8000) << "a bad value changes nothing";
}

namespace {
struct Started : TestClient {
    Started()
    {
        client->start();
        view = ui.connectView;
    }
    ScriptedConnectView *view = nullptr;
};
} // namespace

// The dialog's texts and its minimising are checked with the real dialog; here, what Connect
// does to the main window, and timer five focusing both once.
TEST(Startup, ConnectShowsTheMainWindowOnceWhichThenStandsInForTheMinimisedDialog)
{
    Started t;
    ASSERT_NE(t.view, nullptr);
    EXPECT_FALSE(t.mainWindow.shown);
    t.view->restoreFromTaskBar();
    EXPECT_EQ(t.mainWindow.bringForwardCount, 0) << "before Connect the dialog is just a dialog";

    t.view->clickConnect();
    EXPECT_TRUE(t.mainWindow.shown);
    EXPECT_EQ(t.mainWindow.status, QStringLiteral("Please Wait..."));
    t.view->connectEnabled = true; // even a second click that got through starts nothing more
    t.view->clickConnect();
    EXPECT_EQ(t.mainWindow.showCount, 1);
    // As long as timer five and started after it: a timer the second click started ends first.
    bool laterTimer = false;
    QTimer::singleShot(t.timings.connectFocusDelay, [&laterTimer] { laterTimer = true; });

    ASSERT_TRUE(waitFor([&] { return laterTimer; }));
    EXPECT_EQ(t.view->activateCount, 1);
    EXPECT_EQ(t.mainWindow.activateCount, 1);

    t.view->restoreFromTaskBar();
    EXPECT_EQ(t.mainWindow.bringForwardCount, 1);
    EXPECT_TRUE(t.view->minimized);
}

TEST(Startup, ClosingTheStartUpDialogEndsWithoutLoggingOff)
{
    for (const bool afterConnect : {false, true}) {
        Started t;
        if (afterConnect)
            t.view->clickConnect();
        t.view->closeBox();
        EXPECT_EQ(t.process.exitCodes, QList<int>{0});
        EXPECT_TRUE(t.ui.log.filter(QStringLiteral("message|")).isEmpty());
    }
}
