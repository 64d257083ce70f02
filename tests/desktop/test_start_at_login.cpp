#include "TestClient.h"

#include "mainwindow/Commands.h"
#include "mainwindow/MainWindowTask.h"
#include "platform/Autostart.h"
#include "platform/Preferences.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quibo;
using namespace Qt::StringLiterals;

namespace {

// What the entry's Exec key holds for each argument: reserved characters quoted, the quoting's
// escapes, then the key's own, and "%" doubled.
TEST(StartAtLogin, ExecArgumentsAreQuotedAsDesktopEntriesWant)
{
    const struct {
        QString argument;
        QString exec;
    } cases[] = {
        {u"/usr/bin/quibo32"_s, u"/usr/bin/quibo32"_s},
        {u"/home/u/My Chats"_s, u"\"/home/u/My Chats\""_s},
        {u"/home/u/$HOME"_s, u"\"/home/u/\\\\$HOME\""_s},
        {u"/a\"b"_s, u"\"/a\\\\\"b\""_s},
        {u"/a\\b"_s, u"\"/a\\\\\\\\b\""_s},
        {u"/100%"_s, u"/100%%"_s},
        {u"/new\nline"_s, u"\"/new\\nline\""_s},
        {u""_s, u"\"\""_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(autostart::execArgument(c.argument), c.exec) << c.argument.toStdString();
}

TEST(StartAtLogin, TheEntryIsWrittenAndRemoved)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString path = config.filePath(u"autostart/quibo32.desktop"_s);
    ASSERT_EQ(autostart::entryPath(), path);

    ASSERT_TRUE(autostart::setStartAtLogin(true, u"/opt/q/quibo32"_s, u"/home/u/My Chats"_s));
    QFile entry(path);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nExec=/opt/q/quibo32 --folder \"/home/u/My Chats\" --connect\n")) << text.data();

    ASSERT_TRUE(autostart::setStartAtLogin(false, {}, {}));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(autostart::setStartAtLogin(false, {}, {}));
    qunsetenv("XDG_CONFIG_HOME");
}

// The menu's toggle writes the entry and keeps the choice; chosen again, it removes it.
TEST(StartAtLogin, TheMenuToggleWritesAndRemovesTheEntry)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    test::TestClient c;
    test::ClientSetup::mainWindowOpen(*c.client);
    for (const bool on : {true, false}) {
        c.mainWindow.choose(Command::StartAtLogin);
        ASSERT_TRUE(test::waitFor([&] { return QFile::exists(autostart::entryPath()) == on; })) << on;
        const PreferencesFile kept(c.dir.filePath(QString::fromLatin1(PreferencesFile::FileName)));
        EXPECT_EQ(kept.values().startAtLogin, on);
    }
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(Preferences, ReadBackAsWrittenReadableByTheUserAlone)
{
    EXPECT_EQ(parsePreferences({}), Preferences{});
    EXPECT_EQ(parsePreferences("history=off\r\nstartAtLogin = on\nhistory=maybe\ngarbage\n=on"),
              (Preferences{false, true}));

    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(PreferencesFile::FileName));
    PreferencesFile file(path);
    EXPECT_EQ(file.values(), Preferences{});
    ASSERT_TRUE(file.save({false, true}));
    EXPECT_EQ(PreferencesFile(path).values(), (Preferences{false, true}));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

} // namespace
