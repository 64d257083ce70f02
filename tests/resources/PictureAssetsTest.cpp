#include "TestFiles.h"

#include "resources/ResourceCatalogue.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

using namespace quibo;
using namespace Qt::StringLiterals;

const QString sourceDir = QStringLiteral(QUIBO_RESOURCES_SOURCE_DIR);

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

// Elements and attributes beyond what Qt SVG draws. Qt drops them silently, so a picture
// that looks right in a browser would look wrong in the program.
QStringList unsupportedFeatures(const QString &path)
{
    static const QStringList elements{
        u"svg"_s,      u"title"_s,          u"defs"_s,           u"g"_s,    u"path"_s,
        u"circle"_s,   u"ellipse"_s,        u"rect"_s,           u"line"_s, u"polygon"_s,
        u"polyline"_s, u"linearGradient"_s, u"radialGradient"_s, u"stop"_s};
    static const QStringList attributes{u"style"_s, u"class"_s, u"filter"_s, u"mask"_s, u"clip-path"_s};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {u"unreadable"_s};
    QStringList found;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (!elements.contains(xml.name().toString()))
            found << u"<%1>"_s.arg(xml.name());
        for (const auto &attribute : xml.attributes())
            if (attributes.contains(attribute.name().toString()))
                found << attribute.name().toString() + u'=';
    }
    if (xml.hasError())
        found << xml.errorString();
    return found;
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
    const QStringList unsupported = unsupportedFeatures(path);
    EXPECT_TRUE(unsupported.isEmpty()) << unsupported.join(u' ').toStdString();

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

// Frames shown one after another in the same picture control keep its size, and change it.
TEST(PictureAnimations, FramesShareTheirSizeAndEachDiffersFromTheLast)
{
    const QList<QList<int>> animations{res::possessedFrames(),
                                       res::sendingFrames(),
                                       {res::WinkOpenPicture, res::WinkClosedPicture},
                                       {res::KissRestPicture, res::KissPuckerPicture}};
    for (const auto &frames : animations) {
        for (qsizetype i = 1; i < frames.size(); ++i) {
            EXPECT_EQ(render(frames[i]).size(), render(frames[0]).size()) << "picture " << frames[i];
            EXPECT_NE(render(frames[i - 1]), render(frames[i]))
                << "pictures " << frames[i - 1] << " and " << frames[i];
        }
    }
}

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

TEST(DesktopAndWebPictures, EveryIconSizeTheDesktopEntryAndThePageImagesAreThere)
{
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = sourceDir + QStringLiteral("/icons/hicolor/%1x%1/apps/quibo32.png").arg(n);
        EXPECT_EQ(QImage(path).size(), QSize(n, n)) << path.toStdString();
    }
    EXPECT_TRUE(
        QSvgRenderer(sourceDir + QStringLiteral("/icons/hicolor/scalable/apps/quibo32.svg")).isValid());
    const QByteArray entry = test::readFile(sourceDir + QStringLiteral("/quibo32.desktop"));
    EXPECT_TRUE(entry.contains("\nIcon=quibo32\n"));
    EXPECT_TRUE(entry.contains("\nExec=quibo32"));
    EXPECT_EQ(QImage(sourceDir + QStringLiteral("/web/banner.png")).size(), QSize(400, 40));
    EXPECT_GE(QImage(sourceDir + QStringLiteral("/install/bg.gif")).width(), 32);
}

} // namespace
