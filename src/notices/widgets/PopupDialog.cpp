#include "notices/widgets/PopupDialog.h"

#include "widgetkit/Pictures.h"

#include <QHideEvent>
#include <QLabel>

namespace quibo {

PopupDialog::PopupDialog(QWidget *parent, Qt::WindowFlags flags) : QuiboDialog(parent, flags)
{
    setFocusStepsOnShow(1);
}

PopupDialog::~PopupDialog()
{
    finishShowing();
}

PopupDialog::Showing PopupDialog::beginShowing(DialogOwner owner, QWidget *mainWindow)
{
    if (isVisible())
        hide(); // ends the showing before, and lets the owner change
    finishShowing();
    placeDialog(*this, owner, mainWindow);
    ++m_showing;
    m_open = true;
    show();
    raise();
    activateWindow();
    return m_showing;
}

void PopupDialog::endShowing(Showing showing)
{
    if (isShowing(showing))
        reject();
}

void PopupDialog::showPicture(int pictureId)
{
    if (!m_picture || pictureId == m_pictureId)
        return;
    m_pictureId = pictureId;
    m_picture->setPixmap(
        pictures::pixmap(pictureId, m_picture->minimumSize(), m_picture->devicePixelRatioF()));
    Q_EMIT pictureShown(pictureId);
}

void PopupDialog::hideEvent(QHideEvent *event)
{
    QuiboDialog::hideEvent(event);
    if (!event->spontaneous()) // minimising is not closing
        finishShowing();
}

void PopupDialog::finishShowing()
{
    if (!m_open)
        return;
    m_open = false;
    Q_EMIT showingEnded(m_showing);
}

} // namespace quibo
