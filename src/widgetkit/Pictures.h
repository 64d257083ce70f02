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

} // namespace quibo::pictures
