// The pictures and sound clips as committed: each loads cleanly and is fit for its use; and
// WAV headers, good, odd and broken, built byte by byte.
#include "QtPrinters.h"
#include "TestFiles.h"
#include "WavBytes.h"

#include "platform/WavInfo.h"
#include "resources/ResourceCatalogue.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSoundEffect>
#include <QStringList>
#include <QSvgRenderer>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <cctype>

namespace {

using namespace quibo;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace quibo::test::wavbytes;

// Collects what Qt SVG says while a picture loads: an unsupported feature is dropped with
// only a warning, and the picture then looks wrong without failing to load.
QStringList g_svgWarnings;
void collectSvgWarnings(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (context.category && QByteArrayView(context.category).startsWith("qt.svg"))
        g_svgWarnings << message;
}

QImage render(int id, qreal scale = 1.0)
{
    QSvgRenderer renderer(res::picturePath(id));
    QImage image((QSizeF(renderer.defaultSize()) * scale).toSize(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// Share of pixels in rect that are not fully transparent.
double coverage(const QImage &image, QRect rect)
{
    int drawn = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            drawn += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return double(drawn) / double(rect.width() * rect.height());
}

class PictureAsset : public ::testing::TestWithParam<int> {};

TEST_P(PictureAsset, IsACleanSvgThatDrawsSomething)
{
    const QString path = res::picturePath(GetParam());
    ASSERT_TRUE(QFile::exists(path)) << path.toStdString() << " is not compiled into the resources";

    g_svgWarnings.clear();
    const auto previous = qInstallMessageHandler(collectSvgWarnings);
    QSvgRenderer renderer(path);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(renderer.isValid());
    EXPECT_TRUE(g_svgWarnings.isEmpty()) << g_svgWarnings.join(u'\n').toStdString();

    const QSize size = renderer.defaultSize();
    EXPECT_GE(size.width(), 16);
    EXPECT_GE(size.height(), 16);
    EXPECT_LE(size.width(), 160);
    EXPECT_LE(size.height(), 160);

    const QImage image = render(GetParam());
    EXPECT_GT(coverage(image, image.rect()), 0.05) << "the picture is (almost) empty";
}

INSTANTIATE_TEST_SUITE_P(AllIds, PictureAsset, ::testing::ValuesIn(res::allPictureIds()),
                         [](const auto &p) { return "id" + std::to_string(p.param); });

// Image lists cut these strips into 16 px images and treat black as transparent; every row of
// the channel list shows the first, one pixel wide, column.
TEST(ImageStrips, HoldDrawnImagesWithoutBlack)
{
    const QImage strip = render(res::OnlineOfflineImages);
    ASSERT_EQ(strip.size(), QSize(32, 16));
    EXPECT_GT(coverage(strip, QRect(0, 0, 16, 16)), 0.3) << "image 0 (online)";
    EXPECT_GT(coverage(strip, QRect(16, 0, 16, 16)), 0.3) << "image 1 (offline)";
    EXPECT_NE(strip.copy(0, 0, 16, 16), strip.copy(16, 0, 16, 16));
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            EXPECT_NE(strip.pixel(x, y), qRgba(0, 0, 0, 255)) << x << "," << y;

    const QImage channels = render(res::ChannelListImage);
    ASSERT_EQ(channels.size(), QSize(64, 16));
    EXPECT_GT(coverage(channels, QRect(0, 0, 1, 16)), 0.9);
}

QString installPath(const QString &name)
{
    return QStringLiteral(QUIBO_RESOURCES_SOURCE_DIR "/install/") + name;
}

std::string testName(const testing::TestParamInfo<QString> &info)
{
    std::string name = info.param.toStdString();
    for (char &c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

class SoundClip : public ::testing::TestWithParam<QString> {};

// Short, loud (clips are normalised) 16-bit PCM that QSoundEffect decodes; it decodes before it
// looks for an audio device, so Ready does not depend on the machine having one.
TEST_P(SoundClip, IsShortNormalised16BitPcmThatQSoundEffectLoads)
{
    const QByteArray bytes = test::readFile(installPath(GetParam()));
    const auto info = wav::parseHeader(bytes, bytes.size());
    ASSERT_TRUE(info.has_value()) << "not a WAV file whose length can be known";
    EXPECT_EQ(info->formatTag, 1) << "not plain PCM";
    EXPECT_EQ(info->bitsPerSample, 16);
    EXPECT_TRUE(info->channels == 1 || info->channels == 2);
    EXPECT_GE(info->duration(), 200ms);
    EXPECT_LE(info->duration(), 3000ms);
    const QByteArray data = bytes.mid(bytes.indexOf("data") + 8, info->dataBytes);
    int peak = 0;
    for (qsizetype at = 0; at + 1 < data.size(); at += 2)
        peak = std::max(peak, std::abs(static_cast<qint16>(quint8(data[at]) | quint8(data[at + 1]) << 8)));
    EXPECT_GT(peak, 0.7 * 32768) << "too quiet";

    QSoundEffect effect;
    effect.setSource(QUrl::fromLocalFile(installPath(GetParam())));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error; },
        10000));
    EXPECT_EQ(effect.status(), QSoundEffect::Ready);
}

INSTANTIATE_TEST_SUITE_P(AllClips, SoundClip, ::testing::ValuesIn(res::allSoundFiles()), testName);

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

} // namespace
