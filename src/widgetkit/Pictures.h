#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace quibo::pictures {

// The program's picture `id` drawn at `logicalSize` for a screen of `devicePixelRatio`, so it
// stays sharp on HiDPI screens. A missing or broken picture gives a grey box showing its id.
QPixmap pixmap(int id, QSize logicalSize, qreal devicePixelRatio);

// The same for an SVG file anywhere; `label` names it on the placeholder.
QPixmap fromSvgFile(const QString &path, const QString &label, QSize logicalSize, qreal devicePixelRatio);

// Picture `id` as a window icon.
QIcon icon(int id);

// Image `index` of picture `id` cut into squares of `side` pixels (picture 137: 0 online,
// 1 offline). An index past the end gives the last image.
QIcon stripImage(int id, int index, int side, qreal devicePixelRatio);

} // namespace quibo::pictures
