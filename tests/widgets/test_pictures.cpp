#include "TestFiles.h"

#include "widgetkit/Pictures.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quibo;

namespace {
const QByteArray redSquare =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10" viewBox="0 0 10 10">
<rect width="10" height="10" fill="#ff0000"/></svg>)";

} // namespace

TEST(Pictures, DrawsAtTheScreensPixelRatio)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("red.svg"));
    ASSERT_TRUE(test::writeFile(path, redSquare));
    for (const qreal dpr : {1.0, 2.0}) {
        const QPixmap pm = pictures::fromSvgFile(path, QStringLiteral("red"), QSize(32, 24), dpr);
        EXPECT_EQ(pm.size(), QSize(32, 24) * dpr);
        EXPECT_EQ(pm.devicePixelRatio(), dpr);
        EXPECT_EQ(pm.deviceIndependentSize(), QSizeF(32, 24));
        EXPECT_EQ(pm.toImage().pixelColor(pm.width() / 2, pm.height() / 2), QColor(Qt::red));
    }
}

TEST(Pictures, MissingOrBrokenPictureGivesAVisiblePlaceholder)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.svg"));
    ASSERT_TRUE(test::writeFile(broken, "<svg"));
    const QPixmap fromBroken = pictures::fromSvgFile(broken, QStringLiteral("9"), QSize(20, 20), 1.0);
    const QPixmap missing = pictures::pixmap(987654, QSize(20, 20), 2.0);
    for (const QPixmap &pm : {fromBroken, missing}) {
        ASSERT_FALSE(pm.isNull());
        const QImage image = pm.toImage();
        EXPECT_EQ(image.pixelColor(image.width() / 4, 2 * pm.devicePixelRatio()).alpha(), 255);
    }
    EXPECT_EQ(missing.deviceIndependentSize(), QSizeF(20, 20));
    EXPECT_FALSE(pictures::icon(987654).isNull());
}
