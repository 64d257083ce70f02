#include "DirectoryServer.h"
#include "PeerNetwork.h"

#include <QDirIterator>

#include <gtest/gtest.h>

#include <csignal>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// The real quibo32 as "alice" on loopback(2) with the contact "bob", in a working folder of
// its own, and the quiboweb it starts.
struct RealClient {
    RealClient(const QString &directory, quint16 peerPort, quint16 web) : webPort(web)
    {
        const QDir dir(folder.path());
        writeFile(dir.filePath(u"settings"_s), "alice\r\n");
        writeFile(dir.filePath(u"userinfo.dat"_s), "pw\r\nAnn\r\n");
        writeFile(dir.filePath(u"contacts.dat"_s), "bob\r\n");
        writeFile(dir.filePath(u"html/index.htm"_s), "<html>page</html>");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, folder.path());
        env.insert(u"QUIBO_DIRECTORY"_s, directory);
        env.insert(u"QUIBO_ADDRESS"_s, loopback(2));
        env.insert(
            u"QUIBO_PORTS"_s,
            u"%1,%2,%3,%4"_s.arg(peerPort).arg(freeLoopbackPort()).arg(freeLoopbackPort()).arg(webPort));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~RealClient()
    {
        process.kill();
        process.waitForFinished();
    }

    bool start(bool connect)
    {
        QStringList arguments{u"--folder"_s, folder.path()};
        if (connect)
            arguments.append(u"--connect"_s);
        process.start(qEnvironmentVariable("QUIBO_BIN_DIR") + u"/quibo32"_s, arguments);
        return process.waitForStarted();
    }
    // Its handlers for the end signals are in place: SigCgt has bit (number - 1) of each.
    bool handlesEndSignals() const
    {
        const QByteArray status = readFile(u"/proc/%1/status"_s.arg(process.processId()));
        const qsizetype at = status.indexOf("SigCgt:");
        const qulonglong caught =
            status.mid(at + 7, status.indexOf('\n', at) - at - 7).trimmed().toULongLong(nullptr, 16);
        const qulonglong wanted = (1ULL << (SIGTERM - 1)) | (1ULL << (SIGINT - 1)) | (1ULL << (SIGHUP - 1));
        return at >= 0 && (caught & wanted) == wanted;
    }
    void signal(int number) const { ::kill(static_cast<pid_t>(process.processId()), number); }
    bool ended() const { return process.state() == QProcess::NotRunning; }
    bool endedWithZero() const
    {
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    std::string output() { return process.readAll().toStdString(); }

    // A quiboweb process serving for it is running.
    bool webServerRunning() const
    {
        const QByteArray listen = loopback(2).toLatin1() + ':' + QByteArray::number(webPort);
        for (QDirIterator it(u"/proc"_s, QDir::Dirs | QDir::NoDotAndDotDot); it.hasNext();) {
            const QList<QByteArray> arguments = readFile(it.next() + u"/cmdline"_s).split('\0');
            if (arguments.constFirst().endsWith("/quiboweb") && arguments.contains(listen))
                return true;
        }
        return false;
    }

    quint16 webPort;
    QTemporaryDir folder;
    QProcess process;
};

// A real client "bob" in this process on loopback(3), and a real directory server.
class ProgramEnding : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.start()) << directory.output().toStdString();
        for (const QString &handle : {u"alice"_s, u"bob"_s})
            ASSERT_TRUE(directory.registerUser(handle, u"pw"_s));
        ASSERT_TRUE(directory.publish(u"bob"_s, loopback(3)));
        network.befriend(bob, {u"alice"_s});
        ASSERT_TRUE(PeerNetwork::startListening(bob));
    }

    std::unique_ptr<RealClient> alice() const
    {
        return std::make_unique<RealClient>(directory.authority(), network.port(), network.webPort());
    }
    bool aliceOnlineAtBob() const { return bob.client->contacts().contact(0).online; }

    // Starts `client` and waits until it is logged on: announced to bob, published, served.
    void logOn(RealClient &client)
    {
        ASSERT_TRUE(client.start(true));
        ASSERT_TRUE(waitFor([&] { return aliceOnlineAtBob() && client.webServerRunning(); }, 30s))
            << client.output();
        EXPECT_EQ(directory.addressOf(u"alice"_s), loopback(2));
        ASSERT_TRUE(waitFor([&] { return client.handlesEndSignals(); }));
    }

    DirectoryServer directory;
    PeerNetwork network;
    TestClient &bob = network.add(u"bob"_s, loopback(3));
};

TEST_F(ProgramEnding, EachEndSignalLogsOffLikeExit)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(number));
        const std::unique_ptr<RealClient> client = alice();
        logOn(*client);
        client->signal(number);
        ASSERT_TRUE(waitFor([&] { return client->ended(); }, 30s));
        EXPECT_TRUE(client->endedWithZero()) << client->output();
        EXPECT_TRUE(waitFor([this] { return !aliceOnlineAtBob(); })) << "\"|002\" reached bob";
        EXPECT_EQ(directory.addressOf(u"alice"_s), u"0"_s);
        EXPECT_TRUE(waitFor([&] { return !client->webServerRunning(); }));
    }
}

TEST_F(ProgramEnding, BeforeConnectASignalEndsAtOnce)
{
    const std::unique_ptr<RealClient> client = alice();
    ASSERT_TRUE(client->start(false));
    ASSERT_TRUE(waitFor([&] { return client->handlesEndSignals(); }));
    client->signal(SIGTERM);
    ASSERT_TRUE(waitFor([&] { return client->ended(); }));
    EXPECT_TRUE(client->endedWithZero());
}

TEST_F(ProgramEnding, ASecondSignalEndsAHangingLogoff)
{
    const std::unique_ptr<RealClient> client = alice();
    logOn(*client);
    directory.freeze(); // the logoff's request gets no answer
    client->signal(SIGTERM);
    ASSERT_TRUE(waitFor([this] { return !aliceOnlineAtBob(); }));
    EXPECT_FALSE(client->ended());
    client->signal(SIGINT);
    ASSERT_TRUE(waitFor([&] { return client->ended(); }));
    directory.thaw();
    EXPECT_EQ(client->process.exitStatus(), QProcess::CrashExit);
}

TEST_F(ProgramEnding, TheWebServerEndsWithAKilledClient)
{
    const std::unique_ptr<RealClient> client = alice();
    logOn(*client);
    client->signal(SIGKILL);
    ASSERT_TRUE(waitFor([&] { return client->ended(); }));
    EXPECT_TRUE(waitFor([&] { return !client->webServerRunning(); }));
    EXPECT_EQ(directory.addressOf(u"alice"_s), loopback(2)) << "it could not log off";
}

} // namespace
