#include "widgetkit/Pictures.h"

#include "resources/ResourceCatalogue.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

namespace quibo::pictures {

namespace {
QPixmap placeholder(const QString &label, QSize logicalSize, qreal dpr)
{
    QPixmap pm(logicalSize * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(QColor(160, 160, 160));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(QRect(QPoint(0, 0), logicalSize).adjusted(0, 0, -1, -1));
    QFont font = p.font();
    font.setPixelSize(std::max(6, std::min(logicalSize.height() / 2, logicalSize.width() / 4)));
    p.setFont(font);
    p.drawText(QRect(QPoint(0, 0), logicalSize), Qt::AlignCenter, label);
    return pm;
}

QPixmap render(const QString &path, const QString &label, QSize logicalSize, qreal dpr)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return placeholder(label, logicalSize, dpr);
    QPixmap pm(logicalSize * dpr);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        renderer.setAspectRatioMode(Qt::KeepAspectRatio);
        renderer.render(&p);
    }
    pm.setDevicePixelRatio(dpr);
    return pm;
}
} // namespace

QPixmap fromSvgFile(const QString &path, const QString &label, QSize logicalSize, qreal devicePixelRatio)
{
    if (logicalSize.isEmpty())
        return {};
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QString key = QStringLiteral("quibo:%1:%2x%3@%4")
                            .arg(path)
                            .arg(logicalSize.width())
                            .arg(logicalSize.height())
                            .arg(dpr);
    QPixmap pm;
    if (QPixmapCache::find(key, &pm))
        return pm;
    pm = QFileInfo::exists(path) ? render(path, label, logicalSize, dpr)
                                 : placeholder(label, logicalSize, dpr);
    QPixmapCache::insert(key, pm);
    return pm;
}

QPixmap pixmap(int id, QSize logicalSize, qreal devicePixelRatio)
{
    return fromSvgFile(res::picturePath(id), QString::number(id), logicalSize, devicePixelRatio);
}

QIcon icon(int id)
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64})
        for (const qreal dpr : {1.0, 2.0})
            icon.addPixmap(pixmap(id, QSize(side, side), dpr));
    return icon;
}

QIcon stripImage(int id, int index, int side, qreal devicePixelRatio)
{
    const QSize natural = QSvgRenderer(res::picturePath(id)).defaultSize();
    const int count = natural.height() > 0 ? std::max(1, natural.width() / natural.height()) : 1;
    const QPixmap strip = pixmap(id, QSize(side * count, side), devicePixelRatio);
    const int deviceSide = qRound(side * devicePixelRatio);
    QPixmap image = strip.copy(deviceSide * std::min(index, count - 1), 0, deviceSide, deviceSide);
    image.setDevicePixelRatio(devicePixelRatio);
    return QIcon(image);
}

} // namespace quibo::pictures
