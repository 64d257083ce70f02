#include "platform/TrayStatus.h"

#include "ports/TrayView.h"

#include <utility>

namespace quibo {

QString trayToolTip(const QString &handle, int unread)
{
    QString tip = handle.isEmpty() ? QStringLiteral("Quibo32") : QStringLiteral("Quibo32 - ") + handle;
    if (unread == 1)
        tip += QStringLiteral("\n1 unread message");
    else if (unread > 1)
        tip += QStringLiteral("\n%1 unread messages").arg(unread);
    return tip;
}

TrayStatus::TrayStatus(TrayView &view) : m_view(view)
{
    show();
}

void TrayStatus::setHandle(QString handle)
{
    m_handle = std::move(handle);
    show();
}

void TrayStatus::received()
{
    ++m_unread;
    show();
}

void TrayStatus::read()
{
    if (m_unread > 0)
        --m_unread;
    show();
}

void TrayStatus::show()
{
    m_view.setToolTip(trayToolTip(m_handle, m_unread));
}

} // namespace quibo
