#include "WavBytes.h"

#include "platform/WavInfo.h"

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test::wavbytes;
using namespace std::chrono_literals;

namespace {
std::optional<wav::Info> parse(const QByteArray &file)
{
    return wav::parseHeader(file, file.size());
}

struct GoodCase {
    const char *name;
    QByteArray file;
    qint64 expectedMs;
};

class WavDuration : public testing::TestWithParam<GoodCase> {};

QByteArray frames(qsizetype bytes)
{
    return QByteArray(bytes, '\x11');
}
} // namespace

TEST_P(WavDuration, ComesFromTheFormatAndTheDataPresent)
{
    const auto info = parse(GetParam().file);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->duration().count(), GetParam().expectedMs);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, WavDuration,
    testing::Values(
        GoodCase{"Mono16", silence(1000ms), 1000},
        GoodCase{"Stereo16", riff({fmt(1, 2, 44100, 16), chunk("data", frames(44100 * 4 / 2))}), 500},
        GoodCase{"Mono8", riff({fmt(1, 1, 11025, 8), chunk("data", frames(11025))}), 1000},
        GoodCase{"Float32", riff({fmt(3, 1, 1000, 32), chunk("data", frames(4 * 250))}), 250},
        GoodCase{"ExtensibleWithLongFmt",
                 riff({fmt(0xFFFE, 1, 1000, 16, 16, le16(22) + QByteArray(22, '\x01')),
                       chunk("data", frames(2000))}),
                 1000},
        // An odd-sized chunk before the sound is padded to an even length.
        GoodCase{"OddMetadataBeforeData",
                 riff({fmt(1, 1, 1000, 16), chunk("LIST", "abc"), chunk("data", frames(500))}), 250},
        GoodCase{"DataBeforeFmt", riff({chunk("data", frames(1000)), fmt(1, 1, 1000, 16)}), 500},
        // The file ends early: only the bytes present play.
        GoodCase{"DataClaimsMoreThanTheFile",
                 riff({fmt(1, 1, 1000, 16)}) + QByteArray("data") + le32(100000) + frames(400), 200},
        GoodCase{"PartialLastFrameIsDropped", riff({fmt(1, 2, 1000, 16), chunk("data", frames(4 * 100 + 3))}),
                 100},
        GoodCase{"EmptyData", riff({fmt(1, 1, 8000, 16), chunk("data", {})}), 0}),
    [](const auto &c) { return std::string(c.param.name); });

struct BadCase {
    const char *name;
    QByteArray file;
};

class WavRejected : public testing::TestWithParam<BadCase> {};

TEST_P(WavRejected, GivesNoInfo)
{
    EXPECT_FALSE(parse(GetParam().file).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Broken, WavRejected,
    testing::Values(BadCase{"Empty", {}}, BadCase{"NotRiff", "RIFX" + silence(10ms).mid(4)},
                    BadCase{"NotWave", silence(10ms).left(8) + "AVI " + silence(10ms).mid(12)},
                    BadCase{"NoFmt", riff({chunk("data", frames(100))})},
                    BadCase{"NoData", riff({fmt(1, 1, 8000, 16)})},
                    BadCase{"ShortFmt", riff({fmt(1, 1, 8000, 16, 14), chunk("data", frames(100))})},
                    BadCase{"ZeroChannels", riff({fmt(1, 0, 8000, 16), chunk("data", frames(100))})},
                    BadCase{"ZeroRate", riff({fmt(1, 1, 0, 16), chunk("data", frames(100))})},
                    BadCase{"OddSampleWidth", riff({fmt(1, 1, 8000, 12), chunk("data", frames(100))})},
                    BadCase{"Compressed", riff({fmt(2, 1, 8000, 4), chunk("data", frames(100))})},
                    // A chunk size that points far past the end hides everything after it.
                    BadCase{"HugeChunkBeforeFmt", riff({chunk("LIST", "ab", 0xFFFFFFF0), fmt(1, 1, 8000, 16),
                                                        chunk("data", frames(10))})}),
    [](const auto &c) { return std::string(c.param.name); });
