// Logon behind the home routers of the two-homes lab: the directory on the public host sees
// each router's address, so each client maps its ports there, publishes the router's address
// and gives the ports back when it ends; two clients in two homes then talk as at home.

#include "DirectoryServer.h"
#include "HomeClient.h"
#include "NetLab.h"
#include "TestFiles.h"

#include "app/RouterReach.h"
#include "base/Config.h"

#include <QTemporaryDir>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace quibo;
using quibo::test::NetLab;

namespace {

TEST(ReachRules, WhatIsPublishedAndSaid)
{
    // The router's outside address and its answer for ports 68, 69 and 80: Mapped, Taken or
    // Failed; no outside address: no answer in time.
    const struct {
        QString outside, states, address6, address, status;
    } rows[] = {
        {u"8.8.8.8"_s, u"MM"_s, {}, u"8.8.8.8"_s, {}},
        {u"8.8.8.8"_s, u"MTT"_s, {}, u"8.8.8.8"_s, u"Ready - Router Ports 69, 80 Taken"_s},
        {u"8.8.8.8"_s, u"TM"_s, {}, u"8.8.4.4"_s, u"Not Reachable - Router Port 68 Taken"_s},
        {u"8.8.8.8"_s, u"F"_s, {}, u"8.8.4.4"_s, u"Ready - Not Reachable From Outside"_s},
        // A router behind the provider's own translation has no outside address to give.
        {u"100.64.0.9"_s, u"M"_s, {}, u"8.8.4.4"_s, u"Ready - Not Reachable From Outside"_s},
        {{}, {}, {}, u"8.8.4.4"_s, u"Ready - Not Reachable From Outside"_s},
        {{}, {}, u"2001:db8::5"_s, u"8.8.4.4"_s, {}},
    };
    for (const auto &row : rows) {
        std::optional<MappingReport> report;
        if (!row.outside.isEmpty())
            report = MappingReport{true, {}, row.outside, u"192.168.1.10"_s, {}};
        for (qsizetype i = 0; i < row.states.size(); ++i) {
            const quint16 port = std::array<quint16, 3>{68, 69, 80}.at(static_cast<size_t>(i));
            const QChar state = row.states[i];
            report->ports.append({{port, port, {}, {}},
                                  state == u'M'   ? PortState::Mapped
                                  : state == u'T' ? PortState::Taken
                                                  : PortState::Failed,
                                  {}});
        }
        const Reachability::Reach reach = reach_rules::reachFrom(u"8.8.4.4"_s, report, row.address6);
        EXPECT_EQ(reach.address + u'|' + reach.address6 + u'|' + reach.status,
                  row.address + u'|' + row.address6 + u'|' + row.status);
    }
    Config moved;
    EXPECT_EQ(reach_rules::publishedPorts(moved), QString()) << "the fixed ports go unsaid";
    moved.setPorts(u"6800,69,569,8080"_s);
    EXPECT_EQ(reach_rules::publishedPorts(moved), u"6800,69,569,8080"_s);
    EXPECT_TRUE(reach_rules::isTranslated(u"192.168.1.10"_s, u"100.200.0.11"_s));
    for (const auto &[own, observed] : {std::pair{u"100.200.0.11"_s, u"100.200.0.11"_s},
                                        {u"127.0.0.2"_s, u"127.0.0.1"_s}, // clients on one machine
                                        {u"192.168.1.10"_s, QString()},
                                        {u"192.168.1.10"_s, u"2001:db8:1::10"_s}})
        EXPECT_FALSE(reach_rules::isTranslated(own, observed)) << observed.toStdString();
    EXPECT_EQ(reach_rules::globalIPv6({QHostAddress(u"fe80::1"_s), QHostAddress(u"fd00::1"_s),
                                       QHostAddress(u"::1"_s), QHostAddress(u"2a01:4f8::2"_s)}),
              u"2a01:4f8::2"_s);
}

const QString Ports = u"40068,40069,40569,40080"_s;

// A client in each home of the lab, each in a process of its own.
struct Home {
    Home(QString name, QString contact) : handle(std::move(name)), other(std::move(contact)) {}
    QString handle, other;
    std::unique_ptr<test::HomeClient> client;
    QTemporaryDir inbox, keys;

    // Starts it and waits until it has logged on.
    bool start(const NetLab &lab, const test::DirectoryServer &server, int number)
    {
        client = std::make_unique<test::HomeClient>(
            lab.value(u"ns_home%1"_s.arg(number)),
            QStringList{u"--directory"_s, server.authority(), u"--address"_s,
                        lab.value(u"home%1"_s.arg(number)), u"--ports"_s, Ports, u"--handle"_s, handle,
                        u"--password"_s, u"pw"_s, u"--contacts"_s, other, u"--inbox"_s, inbox.path(),
                        u"--keys"_s, keys.path()});
        return client->waitFor(u"ready"_s);
    }
    // Ends it with `how` ("logoff", or a signal) and waits for its end.
    bool end(const QString &how)
    {
        if (how == u"logoff")
            client->send(how);
        else
            client->signal(SIGTERM);
        return client->waitFor(u"ended"_s) && client->finish() == 0;
    }
    // `command`, then waits for `line` there, or in `at`'s output; a failure says what it saw.
    bool does(const QString &command, const QString &line, Home *at = nullptr)
    {
        client->send(command);
        const bool seen = (at ? at : this)->client->waitFor(line);
        if (!seen)
            ADD_FAILURE() << command.toStdString() << ": no " << line.toStdString() << " in\n"
                          << (at ? at : this)->client->transcript();
        return seen;
    }
    // Waits for the main window's status to read `text`, and for nothing after it.
    bool shows(const QString &text)
    {
        const QStringList said =
            client->waitFor(u"status|"_s + text) ? client->linesStarting(u"status|"_s) : QStringList();
        return !said.isEmpty() && said.last() == u"status|"_s + text;
    }
};

// Two homes behind two routers, the directory on the public net between them. Where the
// routers map ports, the clients exchange everything both ways; where nothing makes them
// reachable they say so, and what cannot go is told to its sender. The mappings are gone after
// a SIGTERM and after a logoff, and what another device of the home mapped stays.
TEST(ReachAtLogon, TwoHomesExchangeEverythingOrSayWhyNot)
{
    const struct {
        QStringList lab;
        bool reachable;
        QString annStatus, bobStatus;
    } rows[] = {
        // Another device of ann's home holds the web port, so files go from bob to ann.
        {{}, true, u"Ready - Router Port 40080 Taken"_s, u"Ready"_s},
        {{u"--no-upnp"_s},
         false,
         u"Ready - Not Reachable From Outside"_s,
         u"Ready - Not Reachable From Outside"_s},
        // IPv6 alone between the homes, and nothing translated: each publishes its own address.
        {{u"--ipv6-only"_s}, true, u"Ready"_s, u"Ready"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.lab.join(u' ').toStdString());
        NetLab lab(row.lab);
        if (lab.skipped())
            GTEST_SKIP() << lab.problem().toStdString();
        ASSERT_TRUE(lab.isUp()) << lab.problem().toStdString();
        const bool upnp = lab.value(u"upnp"_s) == u"1";
        test::DirectoryServer server;
        server.placeIn(lab.value(u"ns_public"_s), lab.value(u"public"_s));
        ASSERT_TRUE(server.start()) << server.output().toStdString();
        const auto onPublicNet = [&](const auto &act) {
            test::InNamespace there(lab.value(u"ns_public"_s));
            return act();
        };
        ASSERT_TRUE(onPublicNet([&] {
            return server.registerUser(u"ann"_s, u"pw"_s) && server.registerUser(u"bob"_s, u"pw"_s);
        }));
        // upnpc on device `device` ("home1", "other1") asking the router of `home`.
        const auto upnpc = [&](const QString &device, int home, const QStringList &arguments) {
            const QStringList words{u"upnpc"_s, u"-u"_s, lab.value(u"router%1_upnp"_s.arg(home))};
            return NetLab::run(lab.value(u"ns_"_s + device), words + arguments).output;
        };
        const auto listing = [&](int home) {
            return upnp ? upnpc(u"home%1"_s.arg(home), home, {u"-l"_s}) : QString();
        };
        if (upnp)
            upnpc(u"other1"_s, 1,
                  {u"-e"_s, u"someone else"_s, u"-a"_s, lab.value(u"other1"_s), u"40080"_s, u"40080"_s,
                   u"TCP"_s});

        // bob has logged on before, so ann's look-up finds his key; that run ended with SIGTERM.
        Home ann{u"ann"_s, u"bob"_s}, bob{u"bob"_s, u"ann"_s};
        ASSERT_TRUE(bob.start(lab, server, 2)) << bob.client->transcript();
        EXPECT_TRUE(upnp == listing(2).contains(u"quibo32"_s));
        ASSERT_TRUE(bob.end(u"SIGTERM"_s)) << bob.client->transcript();
        EXPECT_FALSE(listing(2).contains(u"quibo32"_s));
        ASSERT_TRUE(ann.start(lab, server, 1)) << ann.client->transcript();
        ASSERT_TRUE(bob.start(lab, server, 2)) << bob.client->transcript();
        const bool ipv6Only = row.lab.contains(u"--ipv6-only"_s); // classic look-ups then say "0"
        for (const auto &[home, name] : {std::pair{1, u"ann"_s}, {2, u"bob"_s}})
            EXPECT_EQ(onPublicNet([&] { return server.addressOf(name); }),
                      ipv6Only ? u"0"_s : lab.value(u"router%1_wan"_s.arg(home)));
        EXPECT_TRUE(ann.shows(row.annStatus)) << ann.client->transcript();
        EXPECT_TRUE(bob.shows(row.bobStatus)) << bob.client->transcript();
        for (const int port : {40068, 40069, 40569}) {
            EXPECT_EQ(upnp, listing(1).contains(QRegularExpression(
                                u"TCP +%1->%2:%1 +'quibo32"_s.arg(port).arg(lab.value(u"home1"_s)))));
        }

        QTemporaryDir outbox;
        const QByteArray bytes = QByteArray("from home 2 ").repeated(100000);
        ASSERT_TRUE(test::writeFile(outbox.filePath(u"photo.jpg"_s), bytes));
        if (row.reachable) {
            ASSERT_TRUE(ann.client->waitFor(u"online|bob"_s)) << ann.client->transcript();
            ann.does(u"send bob hello from home 1"_s, u"received|ann|hello from home 1"_s, &bob);
            bob.does(u"send ann hello from home 2"_s, u"received|bob|hello from home 2"_s, &ann);
            ASSERT_TRUE(ann.does(u"host"_s, u"done|host"_s));
            ASSERT_TRUE(bob.does(u"join ann"_s, u"channel|bob>  <-- Has Joined The Channel --> "_s, &ann));
            ann.does(u"channel to the channel"_s, u"channel|ann> to the channel"_s, &bob);
            bob.does(u"channel and back"_s, u"channel|bob> and back"_s, &ann);
            ASSERT_TRUE(bob.does(u"private ann"_s, u"private|row|ann>  <-- Has Joined The Channel --> "_s));
            bob.does(u"say just us"_s, u"private|row|bob> just us"_s, &ann);
            ann.does(u"say still us"_s, u"private|row|ann> still us"_s, &bob);
            bob.does(u"offer ann "_s + outbox.filePath(u"photo.jpg"_s),
                     u"message|ann Has Received photo.jpg|File Transfer Complete"_s);
            EXPECT_EQ(test::readFile(ann.inbox.filePath(u"photo.jpg"_s)), bytes);

            // The other device gives the web port back and the router gets another outside
            // address: ann's renewals publish the new address. IPv6 alone has no router to renew.
            if (!row.lab.contains(u"--ipv6-only"_s)) {
                upnpc(u"other1"_s, 1, {u"-d"_s, u"40080"_s, u"TCP"_s});
                const QString renumbered = lab.value(u"public"_s).section(u'.', 0, 2) + u".21"_s;
                NetLab::run(lab.value(u"ns_router1"_s),
                            {u"sh"_s, u"-c"_s,
                             u"ip addr flush dev wan && ip addr add %1/24 dev wan && "
                             "ip route replace default via %2"_s.arg(renumbered, lab.value(u"public"_s))});
                EXPECT_TRUE(ann.client->waitFor(u"address|"_s + renumbered)) << ann.client->transcript();
                EXPECT_EQ(onPublicNet([&] { return server.addressOf(u"ann"_s); }), renumbered);
            }
        } else {
            // bob finds ann online at her router, which forwards nothing; nothing waits long.
            bob.does(u"join ann"_s, u"message|Error Connecting - Error Code 1007|"_s);
            bob.does(u"private ann"_s, u"message|Error Connecting - Error Code 1050|"_s);
            bob.does(u"send ann lost"_s, u"done|send ann lost"_s);
            bob.does(u"offer ann "_s + outbox.filePath(u"photo.jpg"_s), u"done|offer"_s);
            // A message or an offer that finds no one says nothing, as on any network.
            EXPECT_EQ(bob.client->linesStarting(u"message|"_s),
                      QStringList({u"message|Error Connecting - Error Code 1007|"_s,
                                   u"message|Error Connecting - Error Code 1050|"_s}));
        }

        for (Home *home : {&ann, &bob}) {
            EXPECT_TRUE(home->end(u"logoff"_s)) << home->client->transcript();
            EXPECT_EQ(onPublicNet([&] { return server.addressOf(home->handle); }), u"0"_s);
        }
        const QString left = listing(1);
        EXPECT_TRUE(!left.contains(u"quibo32"_s) && !left.contains(u"someone else"_s))
            << left.toStdString();
        if (!row.reachable) {
            EXPECT_TRUE(ann.client->linesStarting(u"received|"_s).isEmpty()) << ann.client->transcript();
        }
    }
}

} // namespace
