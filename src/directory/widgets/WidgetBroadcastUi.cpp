#include "directory/widgets/WidgetBroadcastUi.h"

#include "directory/widgets/CBroadcastMessageDlg.h"

namespace quibo {

WidgetBroadcastUi::WidgetBroadcastUi(QObject *parent) : QObject(parent), m_dialog(new CBroadcastMessageDlg) {}

WidgetBroadcastUi::~WidgetBroadcastUi()
{
    delete m_dialog.data();
}

QCoro::Task<> WidgetBroadcastUi::showBroadcastMessage(BroadcastMessageFields fields)
{
    if (!m_dialog)
        co_return;
    m_dialog->setFields(fields);
    placeDialog(*m_dialog, DialogOwner::Desktop, nullptr);
    m_dialog->show();
    co_await untilClosed(this, m_dialog.data());
}

} // namespace quibo
