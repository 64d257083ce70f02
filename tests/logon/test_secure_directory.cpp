// The client against a secure directory, played from the attacker's side too: the accounts it
// makes or upgrades give the classic requests nothing, and a directory that is not the one it
// trusts gets no logon.
#include "DirectoryUsers.h"
#include "TestDatabase.h"

#include "consent/ContactManagement.h"
#include "contacts/ContactTable.h"
#include "directory/DirectoryClient.h"
#include "keys/UserKey.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace Qt::StringLiterals;

namespace {

// What a stranger with a plain HTTP client gets for `handle`: no password, and neither its
// address nor its data change, even for the right password.
void expectClosedToClassicRequests(DirectoryServer &server, const QString &handle, const QString &password)
{
    SCOPED_TRACE(handle.toStdString());
    const QByteArray readOut = server.get("/ipinfo/readit.cgi?id=" + handle.toUtf8()).body;
    EXPECT_TRUE(readOut.startsWith('<')) << readOut.constData();
    EXPECT_FALSE(readOut.contains(password.toUtf8()));
    const QString address = server.addressOf(handle);
    const QByteArray info = server.get("/ipinfo/" + handle.toUtf8()).body;
    EXPECT_FALSE(server.publish(handle, u"6.6.6.6"_s));
    EXPECT_FALSE(server.registerUser(handle, password));
    EXPECT_EQ(server.addressOf(handle), address);
    EXPECT_EQ(server.get("/ipinfo/" + handle.toUtf8()).body, info);
}

bool ownerAlone(const QString &path)
{
    constexpr QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther;
    return QFile::exists(path) && !(QFile::permissions(path) & others);
}

class SecureAccounts : public DirectoryUsers, public testing::WithParamInterface<Backend> {
protected:
    void SetUp() override
    {
        if (const auto reason = TestDatabase::unavailable(GetParam()))
            GTEST_SKIP() << reason->toStdString();
        database = std::make_unique<TestDatabase>(GetParam());
        server.setDatabase(database->location());
        DirectoryUsers::SetUp();
    }
    void TearDown() override { server.stop(); }

    std::unique_ptr<TestDatabase> database;
};

INSTANTIATE_TEST_SUITE_P(Stores, SecureAccounts, testing::Values(Backend::Sqlite, Backend::Postgres));

using PinnedDirectory = DirectoryUsers;

} // namespace

TEST_P(SecureAccounts, AccountsTheClientMakesOrUpgradesGiveTheClassicRequestsNothing)
{
    // bob's account is a classic one, made and published with the classic requests.
    ASSERT_TRUE(server.registerUser(u"bob"_s, u"pw"_s));
    ASSERT_TRUE(server.publish(u"bob"_s, u"10.9.9.9"_s));

    auto ann = std::make_unique<UserClient>(server.authority(), loopback(2), peerPort, QString(), u"::1"_s);
    ann->connectNow();
    ASSERT_TRUE(waitFor([&] { return ann->registration.last() != nullptr; }));
    RegistrationFields &fields = *ann->registration.last()->registration;
    fields.handle = u"ann"_s;
    fields.info.password = u"s3cret"_s;
    fields.info.email = u"ann@example.org"_s;
    fields.info.city = u"Oslo"_s;
    ann->registration.last()->press(RegistrationUi::RegisterButton);
    ASSERT_TRUE(ann->waitUntilReady());

    // bob's first logon with this client, from files others may read: his password binds his key.
    auto bob = client(loopback(3));
    bob->setUpUser(u"bob"_s, "pw\r\n", {u"ann"_s});
    bob->connectNow();
    ASSERT_TRUE(bob->waitUntilReady());
    EXPECT_EQ(bob->requests.mid(1, 4), (QStringList{u"/ipadd/sysmsg.dat"_s, u"/secure/publish"_s,
                                                    u"/secure/key"_s, u"/secure/publish"_s}));
    for (const UserClient *c : {ann.get(), bob.get()}) {
        EXPECT_TRUE(c->messages().isEmpty()) << c->messages().join(u'\n').toStdString();
        EXPECT_FALSE(c->requests.join(u' ').contains(u".cgi"_s)) << "no classic request";
        for (const char *name : {"userinfo.dat", "settings", "quibo32.key", "quibo32.crt", "directory.pins"})
            EXPECT_TRUE(ownerAlone(c->dir.filePath(QLatin1StringView(name)))) << name;
    }
    // bob knows ann's key as the directory took it from her TLS connection.
    const ContactRecord &annAsBobSees = bob->client->contacts().contact(0);
    EXPECT_TRUE(annAsBobSees.online && annAsBobSees.secure);
    EXPECT_EQ(annAsBobSees.address, loopback(2));
    EXPECT_EQ(annAsBobSees.address6, u"::1"_s);
    EXPECT_EQ(annAsBobSees.ports, ann->client->config().ports());
    EXPECT_EQ(annAsBobSees.keyFingerprint, keyFingerprintOf(QSslCertificate(ann->read(u"quibo32.crt"_s))));

    // Adding a contact asks the same way: a handle nobody holds is no contact.
    addContact(*ann, u"bob"_s);
    addContact(*ann, u"ghost"_s);
    EXPECT_EQ(ann->messages(), QStringList{u"Invalid Contact Name|"_s});
    const ContactRecord &bobAsAnnSees = ann->client->contacts().contact(1);
    EXPECT_EQ(bobAsAnnSees.address, loopback(3));
    EXPECT_EQ(bobAsAnnSees.keyFingerprint, keyFingerprintOf(QSslCertificate(bob->read(u"quibo32.crt"_s))));

    expectClosedToClassicRequests(server, u"ann"_s, u"s3cret"_s);
    expectClosedToClassicRequests(server, u"bob"_s, u"pw"_s);
    EXPECT_EQ(server.addressOf(u"ann"_s), loopback(2));
    EXPECT_EQ(server.addressOf(u"bob"_s), loopback(3));
    EXPECT_TRUE(server.get("/ipinfo/ann").body.contains("Oslo"));
}

// bob has logged on once, which pinned the directory's key; then the directory on that address
// is another, or stops speaking TLS. An https:// directory is judged by the system's
// authorities, or by a pin given.
TEST_F(PinnedDirectory, ADirectoryOtherThanTheTrustedOneGetsNoLogon)
{
    ASSERT_TRUE(server.registerUser(u"bob"_s, u"pw"_s));
    const QString key =
        QRegularExpression(u"key fingerprint ([0-9a-f]{64})"_s).match(server.output()).captured(1);
    QMap<QLatin1StringView, QByteArray> files;
    {
        const auto first = loggedOn(u"bob"_s, loopback(2), {});
        EXPECT_EQ(first->read(u"directory.pins"_s), server.authority().toUtf8() + ' ' + key.toUtf8() + '\n');
        for (const char *name : {"settings", "userinfo.dat", "quibo32.key", "quibo32.crt", "directory.pins"})
            files.insert(QLatin1StringView(name), first->read(QLatin1StringView(name)));
    }
    const quint16 port = server.port();
    const QString hostPort = server.authority();
    const QString https = u"https://"_s + server.authority();

    // bob's files in a fresh client: his key and the pinned one come along.
    const auto attempt = [&](const QString &directory, const QString &pin) {
        auto c = std::make_unique<UserClient>(directory, loopback(2), peerPort, pin);
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            c->write(it.key(), it.value());
        c->connectNow();
        return c;
    };
    const auto expectStopped = [&](const QString &directory, const QString &pin, const QString &message) {
        SCOPED_TRACE((directory + u' ' + pin).toStdString());
        const auto c = attempt(directory, pin);
        ASSERT_TRUE(c->waitUntilEnded());
        EXPECT_EQ(c->messages(), QStringList{message});
        EXPECT_EQ(c->requests, QStringList{u"/secure/hello"_s}) << "nothing more, and nothing in plain";
    };
    const QString mismatch = u"Directory Key Mismatch - Error Code 11|It May Not Be Your Directory Server"_s;
    server.stop();

    DirectoryServer impostor;
    ASSERT_TRUE(impostor.start(port)) << impostor.output().toStdString();
    expectStopped(hostPort, {}, mismatch);
    impostor.stop();

    ASSERT_TRUE(server.start(port, {u"--classic"_s})) << server.output().toStdString();
    expectStopped(hostPort, {},
                  u"Directory Not Secure - Error Code 12|Logon Stopped To Protect Your Password"_s);
    server.stop();

    ASSERT_TRUE(server.start(port)) << server.output().toStdString();
    expectStopped(https, {},
                  u"Directory Not Trusted - Error Code 13|Its Certificate Could Not Be Verified"_s);
    expectStopped(https, QString(64, u'e'), mismatch);
    const auto pinned = attempt(https, key.toUpper());
    EXPECT_TRUE(pinned->waitUntilReady()) << pinned->messages().join(u'\n').toStdString();
}
