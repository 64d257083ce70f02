#include "notices/PopupAnimation.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quibo;

namespace {
struct Expected {
    int picture;
    bool freeze = false;
    const char *sound = "";
};

// Runs `ticks` ticks of `step` from `counter` and compares each with `expected`.
void expectCycle(animation::Tick (*step)(int &), int counter, const std::vector<Expected> &expected)
{
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "tick " << i + 1);
        const animation::Tick t = step(counter);
        EXPECT_EQ(t.picture, expected[i].picture);
        EXPECT_EQ(t.freezeBefore, expected[i].freeze);
        EXPECT_EQ(t.sound, QString::fromLatin1(expected[i].sound));
    }
}

std::vector<Expected> repeat(int picture, int times)
{
    return std::vector<Expected>(static_cast<std::size_t>(times), Expected{picture});
}

template <typename... Parts> std::vector<Expected> join(Parts... parts)
{
    std::vector<Expected> all;
    (all.insert(all.end(), parts.begin(), parts.end()), ...);
    return all;
}
} // namespace

TEST(PopupAnimation, WinkWinksForTwoOfSixteenTicksThenStartsOver)
{
    const auto cycle = join(repeat(150, 2), repeat(207, 14));
    expectCycle(&animation::wink, 1, join(cycle, cycle));
}

TEST(PopupAnimation, KissPlaysItsSoundAtTheStartOfEveryTwentyTwoTickCycle)
{
    const auto cycle =
        join(std::vector<Expected>{{208, false, "smootch.snd"}}, repeat(208, 2), repeat(206, 19));
    expectCycle(&animation::kiss, 1, join(cycle, cycle));
}

TEST(PopupAnimation, PossessedShowsNothingNewOnItsVeryFirstTickThenCyclesThirteenFrames)
{
    const std::vector<Expected> cycle{
        {177}, {179, true}, {180}, {181}, {182}, {183}, {184}, {185}, {186, false, "poss.snd"},
        {187}, {188},       {189}, {190}};
    expectCycle(&animation::possessed, 0, join(std::vector<Expected>{{0}}, cycle, cycle));
}

TEST(PopupAnimation, SendingShowsFiveFramesThenCloses)
{
    int counter = 1;
    std::vector<int> pictures;
    animation::Tick t;
    while (!(t = animation::sending(counter)).close)
        pictures.push_back(t.picture);
    EXPECT_EQ(pictures, (std::vector<int>{194, 195, 196, 197, 198}));
}

TEST(PopupAnimation, CountersContinueWhereTheyStopped)
{
    int counter = 1;
    for (int i = 0; i < 20; ++i)
        animation::kiss(counter);
    EXPECT_EQ(counter, 21);
    expectCycle(&animation::kiss, counter,
                join(repeat(206, 2), std::vector<Expected>{{208, false, "smootch.snd"}}));
}
