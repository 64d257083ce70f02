#include "widgetkit/DialogLook.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace quibo {

void applyDialogLook(QApplication &app)
{
    // Fusion draws with the palette everywhere; desktop styles may ignore it.
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);

    const QColor grey(192, 192, 192);
    QPalette palette = app.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, grey);
        palette.setColor(group, QPalette::Button, grey);
        palette.setColor(group, QPalette::WindowText, Qt::black);
        palette.setColor(group, QPalette::ButtonText, Qt::black);
        palette.setColor(group, QPalette::Text, Qt::black);
        palette.setColor(group, QPalette::Base, Qt::white);
    }
    palette.setColor(QPalette::Disabled, QPalette::Window, grey);
    palette.setColor(QPalette::Disabled, QPalette::Button, grey);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    QApplication::setPalette(palette);
}

} // namespace quibo
