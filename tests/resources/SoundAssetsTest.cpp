#include "QtPrinters.h"
#include "TestFiles.h"

#include "platform/WavInfo.h"
#include "resources/ResourceCatalogue.h"

#include <QSoundEffect>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <cctype>

namespace {

using namespace quibo;
using namespace std::chrono_literals;

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

} // namespace
