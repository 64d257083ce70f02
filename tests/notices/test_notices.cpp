#include "TestClient.h"

#include "notices/PopupAnimation.h"
#include "resources/ResourceCatalogue.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {
// `ticks` ticks of `step` from `counter`, each as "picture", "picture!" (held still before it)
// or "picture+clip", then a space.
QString run(animation::Tick (*step)(int &), int counter, int ticks)
{
    QString shown;
    for (int i = 0; i < ticks; ++i) {
        const animation::Tick t = step(counter);
        shown += QString::number(t.picture) + (t.freezeBefore ? QStringLiteral("!") : QString()) +
                 (t.sound.isEmpty() ? QString() : u'+' + t.sound) + u' ';
    }
    return shown;
}

QString times(const char *tick, int n)
{
    return QString::fromLatin1(tick).repeated(n);
}

// Shows `smiley` from "LoopBack" until the popup has shown `pictures` pictures, then closes it
// the way the user does and waits for the task to finish.
void showUntil(TestClient &t, Smiley smiley, qsizetype pictures)
{
    auto task = t.client->notices().showSmiley(smiley, QStringLiteral("LoopBack"));
    auto popup = t.ui.popups.constLast();
    ASSERT_TRUE(waitFor([&] { return popup->pictures.size() >= pictures; }));
    popup->pressOk();
    ASSERT_TRUE(runToEnd(std::move(task)));
}
} // namespace

TEST(PopupAnimation, EachCyclesThroughItsPicturesPausesAndClips)
{
    const QString wink = times("150 ", 2) + times("207 ", 14);
    const QString kiss = QStringLiteral("208+smootch.snd 208 208 ") + times("206 ", 19);
    const QString possessed =
        QStringLiteral("177 179! 180 181 182 183 184 185 186+poss.snd 187 188 189 190 ");
    EXPECT_EQ(run(&animation::wink, 1, 32), wink + wink);
    EXPECT_EQ(run(&animation::kiss, 1, 44), kiss + kiss);
    EXPECT_EQ(run(&animation::possessed, 0, 27), QStringLiteral("0 ") + possessed + possessed)
        << "nothing new on the very first tick";
    EXPECT_EQ(run(&animation::kiss, 21, 3), QStringLiteral("206 206 208+smootch.snd ")) << "counters go on";

    int counter = 1;
    QList<int> sending;
    for (animation::Tick t; !(t = animation::sending(counter)).close;)
        sending.append(t.picture);
    EXPECT_EQ(sending, (QList<int>{194, 195, 196, 197, 198})) << "then it closes";
}

TEST(Notices, EachPopupKeepsItsCounterAndPossessedHoldsStillBeforeItsSecondFrame)
{
    Timings timings = TestClient::fastTimings();
    timings.possessedFreeze = 300ms;
    TestClient t({}, timings);
    showUntil(t, Smiley::Kiss, 3);
    int counter = t.client->popupCounters().kiss;
    EXPECT_GT(counter, 1);
    showUntil(t, Smiley::Kiss, 2);
    EXPECT_EQ(t.ui.popups.constLast()->pictures.mid(0, 2),
              (QList<int>{animation::kissOpeningPicture(), animation::kiss(counter).picture}))
        << "the opening picture, then the tick the first showing would have shown next";
    EXPECT_EQ(t.client->popupCounters().wink, 1);

    showUntil(t, Smiley::Possessed, 10);
    const auto &popup = *t.ui.popups.constLast();
    ASSERT_EQ(popup.pictures.mid(1, 2), (QList<int>{177, 179}));
    EXPECT_GE(popup.shownAtMs.at(2) - popup.shownAtMs.at(1), 300);
    EXPECT_EQ(t.sound.played.count(QStringLiteral("async:poss.snd")), 1);
}

TEST(Notices, SendingClosesByItselfAndTheMailClipIsNotAwaited)
{
    TestClient t;
    ASSERT_TRUE(runToEnd(t.client->notices().showSending(DialogOwner::MainWindow)));
    EXPECT_FALSE(t.ui.popups.constLast()->open);
    EXPECT_EQ(t.ui.popups.constLast()->pictures.size(), 6);
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("sending|main")});

    t.sound.holdClips(true);
    t.client->notices().playNotificationSound();
    EXPECT_EQ(t.sound.played, QStringList{QStringLiteral("async:mail.snd")});
}
