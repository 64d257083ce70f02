// Logon behind a home router of the two-homes lab: the directory on the public host sees the
// router's address, so the client maps its ports there, publishes the router's address and
// gives the ports back when it ends.

#include "DirectoryServer.h"
#include "NetLab.h"
#include "TestClient.h"
#include "TestFiles.h"

#include "app/RouterReach.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

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
                                  state == u'M' ? PortState::Mapped : state == u'T' ? PortState::Taken : PortState::Failed,
                                  {}});
        }
        const Reachability::Reach reach = reach_rules::reachFrom(u"8.8.4.4"_s, report, row.address6);
        EXPECT_EQ(reach.address + u'|' + reach.address6 + u'|' + reach.status,
                  row.address + u'|' + row.address6 + u'|' + row.status);
    }
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

// ann, logged on from home 1 with the lab's patience.
std::unique_ptr<test::TestClient> annInHome1(const NetLab &lab, const test::DirectoryServer &server)
{
    Config config;
    config.setDirectory(server.authority());
    config.ownAddressOverride = lab.value(u"home1"_s);
    config.listenAddress = QHostAddress(config.ownAddressOverride);
    config.setPorts(u"40068,40069,40569,40080"_s);
    Timings timings = test::TestClient::fastTimings();
    timings.httpTimeout = timings.tlsHandshake = 5s;
    timings.portMappingDiscovery = 500ms;
    timings.portMappingAnswer = timings.portMappingFarewell = 30s;
    auto ann = std::make_unique<test::TestClient>(config, timings);
    test::writeFile(ann->dir.filePath(u"settings"_s), "ann\r\n");
    test::writeFile(ann->dir.filePath(u"userinfo.dat"_s), "pw\r\nAnn\r\nSmith\r\nann@example.org\r\n");
    ann->client->start();
    ann->ui.connectView->clickConnect();
    EXPECT_TRUE(test::waitFor([&] { return ann->client->logon().contactsResolved; }, 60s));
    return ann;
}

// The directory on the lab's public host sees the router's address; with miniupnpd on the
// router the client maps its ports, and gives them back when ended as SIGTERM does.
TEST(ReachAtLogon, MapsPublishesAndGivesBackOrSaysItIsNotReachable)
{
    for (const bool upnp : {true, false}) {
        SCOPED_TRACE(upnp ? "miniupnpd" : "no miniupnpd");
        NetLab lab(upnp ? QStringList() : QStringList{u"--no-upnp"_s});
        if (lab.skipped())
            GTEST_SKIP() << lab.problem().toStdString();
        ASSERT_TRUE(lab.isUp()) << lab.problem().toStdString();
        test::DirectoryServer server;
        server.placeIn(lab.value(u"ns_public"_s), lab.value(u"public"_s));
        ASSERT_TRUE(server.start()) << server.output().toStdString();
        test::InNamespace inHome1(lab.value(u"ns_home1"_s));
        ASSERT_TRUE(inHome1.entered() && server.registerUser(u"ann"_s, u"pw"_s));
        const auto upnpc = [&](const QString &ns, const QStringList &arguments) {
            return NetLab::run(ns, QStringList{u"upnpc"_s, u"-u"_s, lab.value(u"router1_upnp"_s)} + arguments).output;
        };
        const auto listing = [&] { return upnpc(lab.value(u"ns_home1"_s), {u"-l"_s}); };
        // Another device of the home holds the web port.
        if (upnp)
            upnpc(lab.value(u"ns_other1"_s), {u"-e"_s, u"someone else"_s, u"-a"_s, lab.value(u"other1"_s),
                                              u"40080"_s, u"40080"_s, u"TCP"_s});

        const auto ann = annInHome1(lab, server);
        const QString outside = lab.value(u"router1_wan"_s);
        EXPECT_EQ(server.addressOf(u"ann"_s), outside) << "online, as the directory sees it";
        EXPECT_EQ(ann->mainWindow.status,
                  upnp ? u"Ready - Router Port 40080 Taken"_s : u"Ready - Not Reachable From Outside"_s);
        EXPECT_TRUE(ann->ui.log.filter(u"message|"_s).isEmpty()) << ann->ui.log.join(u'\n').toStdString();
        if (upnp) {
            const QString mapped = listing();
            for (const int port : {40068, 40069, 40569})
                EXPECT_TRUE(mapped.contains(QRegularExpression(
                    u"TCP +%1->%2:%1 +'quibo32"_s.arg(port).arg(lab.value(u"home1"_s)))))
                    << port << mapped.toStdString();
            EXPECT_EQ(NetLab::run(lab.value(u"ns_public"_s), {u"nc"_s, u"-z"_s, outside, u"40068"_s}).exitCode, 0);
        }

        ann->client->requestEnd();
        ASSERT_TRUE(test::waitFor([&] { return ann->process.ended(); }, 60s));
        EXPECT_EQ(server.addressOf(u"ann"_s), u"0"_s);
        const QString left = upnp ? listing() : QString();
        EXPECT_TRUE(!left.contains(u"quibo32"_s) && left.contains(u"someone else"_s) == upnp) << left.toStdString();
    }
}

} // namespace
