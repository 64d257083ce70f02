#include "TestClient.h"

#include "resources/ResourceCatalogue.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {
// Shows `smiley` from "LoopBack", waits until the popup has shown `pictures` pictures in all,
// then closes it the way the user does and waits for the task to finish.
void showUntil(TestClient &t, Smiley smiley, qsizetype pictures)
{
    bool done = false;
    auto task = t.client->notices().showSmiley(smiley, QStringLiteral("LoopBack"));
    task.then([&done] { done = true; });
    auto popup = t.ui.popups.constLast();
    ASSERT_TRUE(waitFor([&] { return popup->pictures.size() >= pictures; }));
    popup->pressOk();
    ASSERT_TRUE(waitFor([&] { return done; }));
}
} // namespace

TEST(Notices, MessageBoxShowsBothLinesAndCompletesWhenClosed)
{
    TestClient t;
    bool done = false;
    t.client->notices().showSystemMessage(DialogOwner::Desktop, QStringLiteral("Contact Deleted!"),
                                          QStringLiteral("Change Will Take Effect When You Restart"))
        .then([&done] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("message|Contact Deleted!|Change Will Take Effect When You Restart")});
}

TEST(Notices, StaticSmileyShowsItsPictureUntilClosed)
{
    TestClient t;
    showUntil(t, Smiley::Oops, 1);
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("smiley|Oops!|LoopBack")});
    EXPECT_EQ(t.ui.popups.constLast()->pictures, QList<int>{res::OopsPicture});
}

TEST(Notices, WinkOpensWithEyesOpenAndWinksOnTheFirstTwoTicks)
{
    TestClient t;
    showUntil(t, Smiley::Wink, 5);
    const QList<int> shown = t.ui.popups.constLast()->pictures.mid(0, 5);
    EXPECT_EQ(shown, (QList<int>{207, 150, 150, 207, 207}));
}

TEST(Notices, SecondShowingContinuesTheCycleWhereTheFirstStopped)
{
    TestClient t;
    showUntil(t, Smiley::Kiss, 3); // opening picture, then ticks 1 and 2 at least
    const int counterAfterFirst = t.client->popupCounters().kiss;
    EXPECT_GT(counterAfterFirst, 1);
    showUntil(t, Smiley::Kiss, 2);
    const auto &second = *t.ui.popups.constLast();
    // The second popup's first tick is the one the first popup would have shown next.
    int expectedCounter = counterAfterFirst;
    EXPECT_EQ(second.pictures.at(1), animation::kiss(expectedCounter).picture);
    EXPECT_EQ(t.client->popupCounters().wink, 1) << "each popup keeps its own counter";
}

TEST(Notices, KissStartsItsSoundAtTheBeginningOfEveryCycle)
{
    TestClient t;
    showUntil(t, Smiley::Kiss, 1 + 22 + 1); // opening, a whole cycle, and the next cycle's first tick
    EXPECT_EQ(t.sound.played.count(QStringLiteral("async:smootch.snd")), 2);
}

TEST(Notices, PossessedFreezesBeforeItsSecondFrameAndLaughsAtTheNinth)
{
    Timings timings = TestClient::fastTimings();
    timings.possessedFreeze = 300ms;
    TestClient t({}, timings);
    showUntil(t, Smiley::Possessed, 1 + 9); // opening frame, the empty first tick, then frames 1..9
    const auto &popup = *t.ui.popups.constLast();
    const auto frames = res::possessedFrames();
    ASSERT_GE(popup.pictures.size(), 10);
    EXPECT_EQ(popup.pictures.mid(0, 10), QList<int>{frames.at(0)} + frames.mid(0, 9));
    const int secondFrame = 2; // pictures: opening 177, tick 177, then 179
    EXPECT_GE(popup.shownAtMs.at(secondFrame) - popup.shownAtMs.at(secondFrame - 1), 300)
        << "the popup holds still before its second frame";
    EXPECT_EQ(t.sound.played, QStringList{QStringLiteral("async:poss.snd")});
}

TEST(Notices, SendingClosesByItselfAfterFiveFrames)
{
    TestClient t;
    bool done = false;
    t.client->notices().showSending(DialogOwner::MainWindow).then([&done] { done = true; });
    ASSERT_TRUE(waitFor([&] { return done; }));
    const auto &popup = *t.ui.popups.constLast();
    EXPECT_FALSE(popup.open);
    EXPECT_EQ(popup.pictures, (QList<int>{194, 194, 195, 196, 197, 198}));
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("sending|main")});
}

TEST(Notices, PopupKeepsAnimatingWhileAnotherTaskWaitsOnAMessageBoxAndASound)
{
    TestClient t;
    t.ui.holdDialogs(true);
    t.sound.holdClips(true);
    bool messageClosed = false;
    bool clipEnded = false;
    t.client->notices().showSystemMessage(DialogOwner::Desktop, QStringLiteral("held"), {}).then([&] {
        messageClosed = true;
    });
    t.sound.play(QStringLiteral("lol.snd")).then([&] { clipEnded = true; });
    auto task = t.client->notices().showSmiley(Smiley::Wink, QStringLiteral("bob"));
    auto popup = t.ui.popups.constLast();
    EXPECT_TRUE(waitFor([&] { return popup->pictures.size() >= 20; }));
    EXPECT_FALSE(messageClosed);
    EXPECT_FALSE(clipEnded);
    popup->pressOk();
    t.ui.releaseDialogs();
    t.sound.finishClips();
    EXPECT_TRUE(waitFor([&] { return messageClosed && clipEnded; }));
}

TEST(Notices, NotificationSoundStartsMailWithoutWaiting)
{
    TestClient t;
    t.sound.holdClips(true);
    t.client->notices().playNotificationSound();
    EXPECT_EQ(t.sound.played, QStringList{QStringLiteral("async:mail.snd")});
}
