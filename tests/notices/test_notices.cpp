#include "TestClient.h"

#include "messaging/Smileys.h"
#include "notices/PopupAnimation.h"
#include "resources/ResourceCatalogue.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using namespace std::chrono_literals;

namespace {
// `ticks` ticks of `animation` from `number`, each as "picture", "picture!" (held still before
// it) or "picture+clip", then a space.
QString run(const PopupAnimation &animation, int number, int ticks)
{
    QString shown;
    for (int i = 0; i < ticks; ++i) {
        const PopupTick t = nextTick(animation, number).tick;
        shown += QString::number(t.picture) + (t.freezeBefore ? QStringLiteral("!") : QString()) +
                 (t.sound.isEmpty() ? QString() : u'+' + t.sound) + u' ';
    }
    return shown;
}

QString times(const char *tick, int n)
{
    return QString::fromLatin1(tick).repeated(n);
}

// The popup of the smiley sent as `code`.
SmileyPopup popupOf(const char16_t *code)
{
    for (const messaging::SmileyRow &row : messaging::smileys()) {
        if (row.code.text == QStringView(code))
            return row.popup;
    }
    return {};
}

// A client's scripted user and desktop, with notices of the test's own on them.
struct NoticesTest {
    explicit NoticesTest(Timings timings = TestClient::fastTimings()) : t({}, timings) {}
    TestClient t;
    Notices notices{*t.client, t.ui, t.sound, t.timings};
};

// Shows `popup` from "LoopBack" until it has shown `pictures` pictures, then closes it the way
// the user does and waits for the task to finish.
void showUntil(NoticesTest &n, const SmileyPopup &popup, qsizetype pictures)
{
    TestClient &t = n.t;
    auto task = n.notices.showSmiley(popup, QStringLiteral("LoopBack"));
    auto shown = t.ui.popups.constLast();
    ASSERT_TRUE(waitFor([&] { return shown->pictures.size() >= pictures; }));
    shown->pressOk();
    ASSERT_TRUE(runToEnd(std::move(task)));
}
} // namespace

TEST(PopupAnimation, EachCyclesThroughItsPicturesPausesAndClips)
{
    const QString wink = times("150 ", 2) + times("207 ", 14);
    const QString kiss = QStringLiteral("208+smootch.snd 208 208 ") + times("206 ", 19);
    const QString possessed =
        QStringLiteral("177 179! 180 181 182 183 184 185 186+poss.snd 187 188 189 190 ");
    EXPECT_EQ(run(popupOf(u"|302").animation, 1, 32), wink + wink);
    EXPECT_EQ(run(popupOf(u"|304").animation, 1, 44), kiss + kiss);
    EXPECT_EQ(run(popupOf(u"|303").animation, popupOf(u"|303").animation.firstNumber, 27),
              QStringLiteral("0 ") + possessed + possessed)
        << "nothing new on the very first tick";
    EXPECT_EQ(run(popupOf(u"|304").animation, 21, 3), QStringLiteral("206 206 208+smootch.snd "))
        << "numbers go on";

    int number = 1;
    QList<int> sending;
    for (PopupStep step; !(step = nextTick(sendingAnimation(), number)).close;)
        sending.append(step.tick.picture);
    EXPECT_EQ(sending, (QList<int>{194, 195, 196, 197, 198})) << "then it closes";
}

TEST(Notices, EachPopupKeepsItsTickAndPossessedHoldsStillBeforeItsSecondFrame)
{
    Timings timings = TestClient::fastTimings();
    timings.possessedFreeze = 300ms;
    NoticesTest n(timings);
    TestClient &t = n.t;
    const SmileyPopup kiss = popupOf(u"|304");
    showUntil(n, kiss, 3);
    const qsizetype ticked = t.ui.popups.constLast()->pictures.size() - 1;
    showUntil(n, kiss, 2);
    EXPECT_EQ(t.ui.popups.constLast()->pictures.mid(0, 2),
              (QList<int>{res::KissRestPicture, kiss.animation.ticks.at(ticked % 22).picture}))
        << "the opening picture, then the tick the first showing would have shown next";
    showUntil(n, popupOf(u"|302"), 2);
    EXPECT_EQ(t.ui.popups.constLast()->pictures.at(1), res::WinkClosedPicture) << "the wink's own first tick";

    showUntil(n, popupOf(u"|303"), 10);
    const auto &popup = *t.ui.popups.constLast();
    ASSERT_EQ(popup.pictures.mid(1, 2), (QList<int>{177, 179}));
    EXPECT_GE(popup.shownAtMs.at(2) - popup.shownAtMs.at(1), 300);
    EXPECT_EQ(t.sound.played.count(QStringLiteral("async:poss.snd")), 1);
}

TEST(Notices, SendingClosesByItselfAndTheMailClipIsNotAwaited)
{
    NoticesTest n;
    TestClient &t = n.t;
    ASSERT_TRUE(runToEnd(n.notices.showSending(DialogOwner::MainWindow)));
    EXPECT_FALSE(t.ui.popups.constLast()->open);
    EXPECT_EQ(t.ui.popups.constLast()->pictures.size(), 6);
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("sending|main")});

    t.sound.holdClips(true);
    n.notices.playNotificationSound();
    EXPECT_EQ(t.sound.played, QStringList{QStringLiteral("async:mail.snd")});
}
