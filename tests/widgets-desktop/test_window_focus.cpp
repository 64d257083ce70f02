// The program's windows on a real desktop, Xvfb with openbox, driven with xdotool as a user's
// keyboard and mouse: a window that opens keeps the activation, with the keyboard where the
// user types next.
#include "DirectoryServer.h"
#include "FakePlatform.h"
#include "RawPeer.h"
#include "TestFiles.h"
#include "WidgetTestKit.h"

#include "app/Client.h"
#include "app/widgets/CConnectDlg.h"
#include "app/widgets/WidgetPorts.h"
#include "channel/widgets/ChatDialogs.h"
#include "directory/widgets/CRegistrationDlg.h"

#include <QFileDialog>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <unistd.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

QString g_noDesktop; // why there is no desktop to test on, if there is none

// What `process` says up to `end`. Blocks: the event loop does not run yet.
QByteArray readUntil(QProcess &process, const char *end)
{
    QByteArray said;
    while (!said.contains(end) && process.waitForReadyRead(20000))
        said += process.readAllStandardOutput();
    return said.left(said.indexOf(end) + qsizetype(std::strlen(end)));
}

// Xvfb on a free display, managed by openbox; empty when it runs, else why it does not.
QString startDesktop(QProcess &server, QProcess &manager)
{
    for (const QString &program : {u"Xvfb"_s, u"openbox"_s, u"xdotool"_s})
        if (QStandardPaths::findExecutable(program).isEmpty())
            return program + u" is not installed (scripts/install-deps.sh)"_s;
    for (QProcess *p : {&server, &manager}) // they end with the test, however it ends
        p->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    server.start(u"Xvfb"_s,
                 {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1024x768x24"_s, u"-nolisten"_s, u"tcp"_s});
    const QByteArray display = readUntil(server, "\n").trimmed();
    if (display.isEmpty())
        return u"Xvfb did not start: "_s + QString::fromLocal8Bit(server.readAllStandardError());
    qputenv("DISPLAY", ":" + display);
    manager.start(u"openbox"_s, {u"--sm-disable"_s, u"--startup"_s, u"echo managing"_s}); // once it manages
    if (!readUntil(manager, "managing\n").endsWith("managing\n"))
        return u"openbox did not start: "_s + QString::fromLocal8Bit(manager.readAllStandardError());
    return {};
}

std::string title(const QWidget *window)
{
    return window ? window->windowTitle().toStdString() : "(none of ours)";
}

std::string name(const QWidget *widget)
{
    return widget ? widget->objectName().toStdString() : "(none)";
}

// The user's hands.
bool xdotool(const QStringList &arguments)
{
    QProcess hands;
    hands.start(u"xdotool"_s, arguments);
    return waitFor([&] { return hands.state() == QProcess::NotRunning; }) && hands.exitCode() == 0;
}

bool becomesActive(QWidget *window)
{
    return waitFor([window] { return QApplication::activeWindow() == window; });
}

template <typename T> T *opened()
{
    waitFor([] { return openWindow<T>() != nullptr; });
    return openWindow<T>();
}

enum class Way { Key, Click };

// `keys` once `window` is active, or a click on its button: the pointer on it, then the click.
void press(Way way, QWidget *window, const char *buttonName, const QString &keys)
{
    ASSERT_TRUE(window) << buttonName << ": its window did not open";
    if (way == Way::Key) {
        ASSERT_TRUE(becomesActive(window))
            << title(window) << " is not active: " << title(QApplication::activeWindow());
        ASSERT_TRUE(xdotool({u"key"_s, keys}));
        return;
    }
    QPushButton *pressed = button(window, buttonName);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window, 10000)) << title(window);
    const QPoint at = pressed->mapTo(window, pressed->rect().center());
    ASSERT_TRUE(xdotool({u"mousemove"_s, u"--window"_s, QString::number(window->winId()),
                         QString::number(at.x()), QString::number(at.y())}));
    ASSERT_TRUE(waitFor([pressed] { return pressed->underMouse(); })) << buttonName;
    ASSERT_TRUE(xdotool({u"click"_s, u"1"_s}));
}

// A second after `window` became active, nothing has taken that from it, and the keyboard
// rests on its control `focus`.
void expectKeepsTheKeyboard(QWidget *window, const QString &expectedTitle, const char *focus)
{
    ASSERT_TRUE(window) << expectedTitle.toStdString() << " did not open";
    EXPECT_EQ(window->windowTitle(), expectedTitle);
    ASSERT_TRUE(becomesActive(window))
        << title(window) << " opened, " << title(QApplication::activeWindow()) << " is active";
    QTest::qWait(1000);
    EXPECT_EQ(title(QApplication::activeWindow()), title(window));
    EXPECT_EQ(name(QApplication::focusWidget()), focus) << "in " << title(window);
}

// alice's client with the program's windows and desktop, its own local web server among them,
// but a fake sound player and process end. bob is a stand-in that takes what is sent to him.
class WindowFocus : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override
    {
        if (!g_noDesktop.isEmpty())
            GTEST_SKIP() << "No desktop to test on: " << g_noDesktop.toStdString();
        // Addresses of this process alone, so that parallel runs never meet.
        const int pid = static_cast<int>(getpid());
        const QString prefix = u"127.%1.%2."_s.arg(100 + pid / 31250 % 100).arg(pid / 125 % 250);
        alice = prefix + QString::number(2 + 2 * (pid % 125));
        bob = prefix + QString::number(3 + 2 * (pid % 125));
        config.ownAddressOverride = alice;
        config.listenAddress = QHostAddress(alice);
        config.setPorts(u"4068,4069,4569,4080"_s);
        config.setDirectory(u"127.0.0.1:9"_s);
    }
    void TearDown() override { client.reset(); } // its tasks go before the windows they wait on

    void startAndConnect(Way way)
    {
        const WorkingDirectory workDir(QDir(dir.path()), {qEnvironmentVariable("QUIBO_BIN_DIR")});
        desktop.emplace(workDir, config);
        Ports ports;
        widgets.fill(ports);
        desktop->fill(ports);
        ports.sound = &sound;
        ports.process = &process;
        client = std::make_unique<Client>(config, Timings{}, workDir, ports);
        client->start();
        press(way, opened<CConnectDlg>(), "connectButton", u"Return"_s);
    }

    QTemporaryDir dir;
    Config config;
    QString alice;
    QString bob;
    WidgetPorts widgets;
    std::optional<DesktopPorts> desktop;
    FakeSoundPlayer sound;
    FakeProcess process;
    std::unique_ptr<Client> client;
};

TEST_P(WindowFocus, RegistrationAtFirstStart)
{
    ASSERT_NO_FATAL_FAILURE(startAndConnect(GetParam()));
    expectKeepsTheKeyboard(opened<CRegistrationDlg>(), u"Quibo32 - Registration"_s, "handle");
}

TEST_P(WindowFocus, ChatWindowsAndSaveAs)
{
    const Way way = GetParam();
    DirectoryServer directory;
    ASSERT_TRUE(directory.start()) << directory.output().toStdString();
    ASSERT_TRUE(directory.registerUser(u"alice"_s, u"pw"_s) && directory.registerUser(u"bob"_s, u"pw"_s));
    ASSERT_TRUE(directory.publish(u"bob"_s, bob));
    CaptureServer bobsRecords(bob, config.peerPort);
    CaptureServer bobsChat(bob, config.privateChatPort);
    config.setDirectory(directory.authority());
    writeFile(dir.filePath(u"settings"_s), "alice\r\n");
    writeFile(dir.filePath(u"userinfo.dat"_s), "pw\r\nAnn\r\nSmith\r\nann@example.org\r\n");
    writeFile(dir.filePath(u"contacts.dat"_s), "bob\r\n");
    ASSERT_NO_FATAL_FAILURE(startAndConnect(Way::Click));
    CMainDlg &main = widgets.mainDialog();
    ASSERT_TRUE(waitFor([&] { return main.statusLine()->text() == u"Ready"_s; }));

    ASSERT_NO_FATAL_FAILURE(press(way, &main, "channelButton", u"alt+a"_s));
    ASSERT_NO_FATAL_FAILURE(
        expectKeepsTheKeyboard(opened<CChatChannelDlg>(), u"Quibo32 Chat Channel"_s, "message"));
    opened<CChatChannelDlg>()->close();

    ASSERT_TRUE(sendRaw(alice, config.peerPort, QByteArray("bob||60012<offered.txt").leftJustified(522, 0)));
    ASSERT_NO_FATAL_FAILURE(press(way, opened<CReceiveFileDlg>(), "yesButton", u"alt+y"_s));
    ASSERT_NO_FATAL_FAILURE(
        expectKeepsTheKeyboard(opened<QFileDialog>(), u"Quibo32 - Save File As"_s, "fileNameEdit"));
    opened<QFileDialog>()->reject();

    ASSERT_TRUE(sendRaw(alice, config.peerPort, QByteArray("bob||700nothing").leftJustified(75, 0)));
    ASSERT_NO_FATAL_FAILURE(press(way, opened<CPrivateChatRequestDlg>(), "yesButton", u"alt+y"_s));
    expectKeepsTheKeyboard(opened<CPrivateChatDlg>(), u"Quibo32 Private Chat Channel"_s, "message");
}

INSTANTIATE_TEST_SUITE_P(ByKeyAndByClick, WindowFocus, ::testing::Values(Way::Key, Way::Click),
                         [](const auto &way) { return way.param == Way::Key ? "Key" : "Click"; });

} // namespace

// The desktop comes first and goes last: the application is a client of its display.
int main(int argc, char **argv)
{
    QProcess server;
    QProcess manager;
    std::optional<QApplication> app;
    if (argc < 2 || std::strcmp(argv[1], "--gtest_list_tests") != 0) {
        g_noDesktop = startDesktop(server, manager);
        qputenv("QT_QPA_PLATFORM", g_noDesktop.isEmpty() ? "xcb" : "offscreen");
        // This desktop has no session bus: without an address libdbus would try to start one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        app.emplace(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    app.reset();
    for (QProcess *p : {&manager, &server}) {
        p->terminate();
        p->waitForFinished();
    }
    return failed;
}
