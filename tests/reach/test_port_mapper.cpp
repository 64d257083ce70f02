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

Timings labTimings()
{
    Timings timings;
    timings.portMappingDiscovery = 500ms;
    timings.portMappingLease = 4s;
    return timings;
}

// A lab, or the test skips where none can be built.
#define BUILD_LAB(lab, ...)                                                                                    \
    NetLab lab(NetLab::Options{__VA_ARGS__});                                                                  \
    if ((lab).skipped())                                                                                       \
        GTEST_SKIP() << (lab).problem().toStdString();                                                        \
    ASSERT_TRUE((lab).isUp()) << (lab).problem().toStdString()

// The port mapper of a client in home 1, with what it reported.
struct HomeMapper {
    std::unique_ptr<PortMapper> mapper = std::make_unique<PortMapper>(labTimings());
    int rounds = 0;
    bool unmapped = false;

    HomeMapper()
    {
        QObject::connect(mapper.get(), &PortMapper::reported, [this] { ++rounds; });
        QObject::connect(mapper.get(), &PortMapper::unmapped, [this] { unmapped = true; });
    }
    bool waitForRounds(int count) { return test::waitFor([&] { return rounds >= count; }, 60s); }
};

TEST(PortMapper, MapsRenewsAndRemovesOnTheRealRouter)
{
    BUILD_LAB(lab, true, false);
    const QString home = lab.value(u"ns_home1"_s);
    const QString me = lab.value(u"home1"_s);
    const QString outside = lab.value(u"router1_wan"_s);
    const QString other = lab.value(u"other1"_s);
    const auto upnpc = [&](QStringList arguments, const QString &ns) {
        return NetLab::run(ns, QStringList{u"upnpc"_s, u"-u"_s, lab.value(u"router1_upnp"_s)} + arguments).output;
    };
    const auto list = [&] { return upnpc({u"-l"_s}, home); };
    const auto listed = [](const QString &listing, int external, const QString &client, int internal,
                           const QString &description) {
        return listing.contains(QRegularExpression(u"TCP +%1->%2:%3 +'%4'"_s.arg(external)
                                                       .arg(QRegularExpression::escape(client))
                                                       .arg(internal)
                                                       .arg(description)));
    };
    // Another device holds 40001; an earlier run of ours left 40002 to another internal port;
    // 40003 has the lease ours have, and nobody renews it.
    upnpc({u"-e"_s, u"someone else"_s, u"-a"_s, other, u"40901"_s, u"40001"_s, u"TCP"_s}, lab.value(u"ns_other1"_s));
    upnpc({u"-e"_s, u"quibo 2"_s, u"-a"_s, me, u"40902"_s, u"40002"_s, u"TCP"_s}, home);
    upnpc({u"-e"_s, u"unrenewed"_s, u"-a"_s, me, u"40003"_s, u"40003"_s, u"TCP"_s, u"4"_s}, home);
    const QString before = list();
    ASSERT_TRUE(listed(before, 40001, other, 40901, u"someone else"_s)) << before.toStdString();
    ASSERT_TRUE(listed(before, 40003, me, 40003, u"unrenewed"_s)) << before.toStdString();

    test::InNamespace inHome(home);
    ASSERT_TRUE(inHome.entered());
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress(me), 40000));
    HomeMapper home1;
    const QList<WantedPort> wanted{{40000, 40000, {}, u"quibo 0"_s},
                                   {40001, 40001, {}, u"quibo 1"_s},
                                   {40002, 40002, {}, u"quibo 2"_s}};
    home1.mapper->mapPorts(wanted);
    ASSERT_TRUE(home1.waitForRounds(1));
    const MappingReport &report = home1.mapper->report();
    EXPECT_TRUE(report.gatewayFound) << report.problem.toStdString();
    EXPECT_EQ(report.externalAddress, outside);
    EXPECT_EQ(report.localAddress, me);
    ASSERT_EQ(report.ports.size(), 3);
    const PortState states[] = {PortState::Mapped, PortState::Taken, PortState::Mapped};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(report.ports[i].state, states[i]) << i << report.ports[i].detail.toStdString();
    EXPECT_EQ(report.ports[1].detail, other + u":40901 (someone else)"_s);
    EXPECT_EQ(NetLab::run(lab.value(u"ns_public"_s), {u"nc"_s, u"-z"_s, u"-w"_s, u"2"_s, outside, u"40000"_s}).exitCode,
              0)
        << "the public host reaches the mapped port";

    // Three renewals at half the lease take longer than the lease, which ends the unrenewed one.
    ASSERT_TRUE(home1.waitForRounds(4));
    QString listing = list();
    EXPECT_TRUE(listed(listing, 40000, me, 40000, u"quibo 0"_s)) << listing.toStdString();
    EXPECT_TRUE(listed(listing, 40002, me, 40002, u"quibo 2"_s)) << listing.toStdString();
    EXPECT_FALSE(listed(listing, 40003, me, 40003, u"unrenewed"_s)) << listing.toStdString();

    // Only ours go.
    home1.mapper->unmapAll();
    ASSERT_TRUE(test::waitFor([&] { return home1.unmapped; }, 60s));
    listing = list();
    EXPECT_FALSE(listing.contains(u"quibo"_s)) << listing.toStdString();
    EXPECT_TRUE(listed(listing, 40001, other, 40901, u"someone else"_s)) << listing.toStdString();

    // The end of the mapper removes what it still holds.
    home1.mapper->mapPorts({wanted[0]});
    ASSERT_TRUE(home1.waitForRounds(5));
    EXPECT_TRUE(listed(list(), 40000, me, 40000, u"quibo 0"_s));
    home1.mapper.reset();
    EXPECT_FALSE(list().contains(u"quibo"_s));
}

TEST(PortMapper, WithoutARouterARoundFailsSoonAndEndsAtOnce)
{
    BUILD_LAB(lab, false, false);
    test::InNamespace inHome(lab.value(u"ns_home1"_s));
    ASSERT_TRUE(inHome.entered());
    HomeMapper home1;
    home1.mapper->mapPorts({{40000, 40000, {}, u"quibo 0"_s}});
    ASSERT_TRUE(home1.waitForRounds(1));
    const MappingReport &report = home1.mapper->report();
    EXPECT_FALSE(report.gatewayFound);
    EXPECT_FALSE(report.problem.isEmpty());
    ASSERT_EQ(report.ports.size(), 1);
    EXPECT_EQ(report.ports[0].state, PortState::Failed);
}

} // namespace
