#include "notices/widgets/PopupPictureView.h"

namespace quibo {

PopupPictureView::PopupPictureView(PopupDialog &popup, PopupDialog::Showing showing)
    : m_popup(&popup), m_showing(showing)
{
    connect(&popup, &PopupDialog::showingEnded, this, [this](quint64 ended) {
        if (ended == m_showing)
            Q_EMIT closed();
    });
}

PopupPictureView::~PopupPictureView()
{
    if (!m_popup)
        return;
    disconnect(m_popup, nullptr, this, nullptr);
    m_popup->endShowing(m_showing);
}

void PopupPictureView::showPicture(int pictureId)
{
    if (isOpen())
        m_popup->showPicture(pictureId);
}

void PopupPictureView::close()
{
    if (m_popup)
        m_popup->endShowing(m_showing);
}

bool PopupPictureView::isOpen() const
{
    return m_popup && m_popup->isShowing(m_showing);
}

} // namespace quibo
