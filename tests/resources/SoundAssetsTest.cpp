#include "resources/ResourceCatalogue.h"

#include <QFile>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Readable test names in gtest's output.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}

namespace {

using namespace quibo;

const QString installDir = QStringLiteral(QUIBO_RESOURCES_SOURCE_DIR "/install");

QString installPath(const QString& name)
{
    return installDir + u'/' + name;
}

// The unsigned little-endian number of `width` bytes at `at`.
quint32 littleEndian(const QByteArray& bytes, qsizetype at, int width)
{
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes.at(at + i));
    return value;
}

// What the RIFF header of a clip says, read by walking its chunks.
struct WavFacts {
    int format = 0; // 1 = PCM
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    QByteArray data;
};

std::optional<WavFacts> readWav(const QByteArray& bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    const auto u16 = [&](qsizetype at) { return int(littleEndian(bytes, at, 2)); };
    const auto u32 = [&](qsizetype at) { return qsizetype(littleEndian(bytes, at, 4)); };
    WavFacts facts;
    bool haveFormat = false;
    bool haveData = false;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = u32(at + 4);
        const qsizetype body = at + 8;
        if (size > bytes.size() - body)
            return std::nullopt; // chunk runs past the end of the file
        if (id == "fmt " && size >= 16) {
            facts.format = u16(body);
            facts.channels = u16(body + 2);
            facts.sampleRate = int(u32(body + 4));
            facts.blockAlign = u16(body + 12);
            facts.bitsPerSample = u16(body + 14);
            haveFormat = true;
        } else if (id == "data") {
            facts.data = bytes.mid(body, size);
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData)
        return std::nullopt;
    return facts;
}

double peakOf16Bit(const QByteArray& data)
{
    int peak = 0;
    for (qsizetype at = 0; at + 2 <= data.size(); at += 2)
        peak = std::max(peak, std::abs(int(qint16(quint16(littleEndian(data, at, 2))))));
    return peak / 32768.0;
}

QSoundEffect::Status loadedStatus(const QString& path)
{
    QSoundEffect effect;
    effect.setSource(QUrl::fromLocalFile(path));
    // A clip still loading after the wait is reported as such.
    [[maybe_unused]] const bool settled = QTest::qWaitFor(
        [&] { return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error; }, 10000);
    return effect.status();
}

std::string testName(const QString& fileName)
{
    std::string name = fileName.toStdString();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

template <typename T>
std::vector<T> toVector(const QList<T>& list)
{
    return {list.begin(), list.end()};
}

class InstallFile : public ::testing::TestWithParam<QString> {};

TEST_P(InstallFile, IsInTheSourceInstallFolder)
{
    QFile file(installPath(GetParam()));
    ASSERT_TRUE(file.exists()) << file.fileName().toStdString();
    EXPECT_GT(file.size(), 0);
}

INSTANTIATE_TEST_SUITE_P(AllNames, InstallFile, ::testing::ValuesIn(toVector(res::allInstallFiles())),
                         [](const auto& p) { return testName(p.param); });

class SoundClip : public ::testing::TestWithParam<QString> {};

TEST_P(SoundClip, IsShortNormalised16BitPcm)
{
    QFile file(installPath(GetParam()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const auto wav = readWav(file.readAll());
    ASSERT_TRUE(wav.has_value()) << "not a well-formed RIFF WAVE file";
    EXPECT_EQ(wav->format, 1) << "not plain PCM";
    EXPECT_EQ(wav->bitsPerSample, 16);
    EXPECT_TRUE(wav->channels == 1 || wav->channels == 2);
    ASSERT_EQ(wav->blockAlign, wav->channels * 2);
    ASSERT_GT(wav->sampleRate, 0);
    const double seconds = double(wav->data.size() / wav->blockAlign) / wav->sampleRate;
    EXPECT_GE(seconds, 0.2);
    EXPECT_LE(seconds, 3.0);
    EXPECT_GT(peakOf16Bit(wav->data), 0.7) << "too quiet: clips are normalised";
}

// QSoundEffect decodes the file before it looks for an audio device, so Ready does not
// depend on the machine having one; a clip it cannot decode ends in Error.
TEST_P(SoundClip, LoadsInQSoundEffect)
{
    EXPECT_EQ(loadedStatus(installPath(GetParam())), QSoundEffect::Ready);
}

INSTANTIATE_TEST_SUITE_P(AllClips, SoundClip, ::testing::ValuesIn(toVector(res::allSoundFiles())),
                         [](const auto& p) { return testName(p.param); });

// The checks above can fail: a clip that is not audio is told apart.
TEST(SoundClipChecks, RejectABrokenClip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile broken(dir.filePath(QStringLiteral("broken.snd")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    QByteArray noise(4096, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919) % 251);
    broken.write(noise);
    broken.close();

    EXPECT_FALSE(readWav(noise).has_value());
    EXPECT_EQ(loadedStatus(broken.fileName()), QSoundEffect::Error);

    const QByteArray truncated("RIFF\x24\0\0\0WAVEdata\xff\xff\0\0", 20);
    EXPECT_FALSE(readWav(truncated).has_value()) << "a data chunk longer than the file";
}

} // namespace
