// The port mapper from home 1 of the two-homes lab, against the router's real miniupnpd.

#include "NetLab.h"
#include "RunTask.h"

#include "reach/PortMapper.h"

#include <QRegularExpression>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace quibo;
using quibo::test::NetLab;

namespace {

// A lab, or the test skips where none can be built; then the test goes on in home 1.
#define IN_HOME_1_OF_A_LAB(lab, ...)                                                                           \
    NetLab lab(QStringList{__VA_ARGS__});                                                                      \
    if ((lab).skipped())                                                                                       \
        GTEST_SKIP() << (lab).problem().toStdString();                                                        \
    ASSERT_TRUE((lab).isUp()) << (lab).problem().toStdString();                                                \
    test::InNamespace inHome1((lab).value(u"ns_home1"_s));                                                     \
    ASSERT_TRUE(inHome1.entered())

// A client's port mapper, with what it reported.
struct Mapper {
    std::unique_ptr<PortMapper> mapper;
    int rounds = 0;
    bool unmapped = false;

    Mapper()
    {
        Timings timings;
        timings.portMappingDiscovery = 500ms;
        timings.portMappingLease = 4s;
        mapper = std::make_unique<PortMapper>(timings);
        QObject::connect(mapper.get(), &PortMapper::reported, [this] { ++rounds; });
        QObject::connect(mapper.get(), &PortMapper::unmapped, [this] { unmapped = true; });
    }
    bool waitForRounds(int count) { return test::waitFor([&] { return rounds >= count; }, 60s); }
};

TEST(PortMapper, MapsRenewsAndRemovesOnTheRealRouter)
{
    IN_HOME_1_OF_A_LAB(lab);
    const QString me = lab.value(u"home1"_s);
    const QString other = lab.value(u"other1"_s);
    const QString outside = lab.value(u"router1_wan"_s);
    const auto upnpc = [&](const QString &ns, const QStringList &arguments) {
        return NetLab::run(ns, QStringList{u"upnpc"_s, u"-u"_s, lab.value(u"router1_upnp"_s)} + arguments).output;
    };
    const auto listing = [&] { return upnpc(lab.value(u"ns_home1"_s), {u"-l"_s}); };
    const auto listed = [&listing](int external, const QString &client, int internal, const QString &description) {
        return listing().contains(QRegularExpression(
            u"TCP +%1->%2:%3 +'%4'"_s.arg(external).arg(QRegularExpression::escape(client)).arg(internal).arg(description)));
    };
    // Another device holds 40001; 40003 has the lease ours have, and nobody renews it.
    upnpc(lab.value(u"ns_other1"_s), {u"-e"_s, u"someone else"_s, u"-a"_s, other, u"40901"_s, u"40001"_s, u"TCP"_s});
    upnpc(lab.value(u"ns_home1"_s), {u"-e"_s, u"unrenewed"_s, u"-a"_s, me, u"40003"_s, u"40003"_s, u"TCP"_s, u"4"_s});
    ASSERT_TRUE(listed(40001, other, 40901, u"someone else"_s) && listed(40003, me, 40003, u"unrenewed"_s));

    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress(me), 40000));
    Mapper home1;
    const QList<WantedPort> wanted{{40000, 40000, {}, u"quibo 0"_s}, {40001, 40001, {}, u"quibo 1"_s}};
    home1.mapper->mapPorts(wanted);
    ASSERT_TRUE(home1.waitForRounds(1));
    const MappingReport &report = home1.mapper->report();
    EXPECT_TRUE(report.gatewayFound) << report.problem.toStdString();
    EXPECT_EQ(report.externalAddress + u' ' + report.localAddress, outside + u' ' + me);
    ASSERT_EQ(report.ports.size(), 2);
    EXPECT_EQ(report.ports[0].state, PortState::Mapped) << report.ports[0].detail.toStdString();
    EXPECT_EQ(report.ports[1].state, PortState::Taken);
    EXPECT_EQ(report.ports[1].detail, other + u":40901 (someone else)"_s);
    const QStringList knock{u"nc"_s, u"-z"_s, u"-w"_s, u"2"_s, outside, u"40000"_s};
    EXPECT_EQ(NetLab::run(lab.value(u"ns_public"_s), knock).exitCode, 0) << "the public host reaches the mapped port";

    // Three renewals at half the lease take longer than the lease, which ends the unrenewed one.
    ASSERT_TRUE(home1.waitForRounds(4));
    EXPECT_TRUE(listed(40000, me, 40000, u"quibo 0"_s));
    EXPECT_FALSE(listed(40003, me, 40003, u"unrenewed"_s));

    // Only ours go.
    home1.mapper->unmapAll();
    ASSERT_TRUE(test::waitFor([&] { return home1.unmapped; }, 60s));
    EXPECT_FALSE(listing().contains(u"quibo"_s)) << listing().toStdString();
    EXPECT_TRUE(listed(40001, other, 40901, u"someone else"_s));

    // The end of the mapper removes what it still holds.
    home1.mapper->mapPorts({wanted[0]});
    ASSERT_TRUE(home1.waitForRounds(5));
    EXPECT_TRUE(listed(40000, me, 40000, u"quibo 0"_s));
    home1.mapper.reset();
    EXPECT_FALSE(listing().contains(u"quibo"_s));
}

} // namespace
