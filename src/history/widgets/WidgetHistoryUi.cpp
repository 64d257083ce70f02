#include "history/widgets/WidgetHistoryUi.h"

#include "history/widgets/CHistoryDlg.h"

namespace quibo {

HistoryWindowView::HistoryWindowView(CHistoryDlg *dialog) : m_dialog(dialog)
{
    connect(dialog, &CHistoryDlg::searchEdited, this, &HistoryView::searchEdited);
    connect(dialog, &CHistoryDlg::earlierWanted, this, &HistoryView::earlierWanted);
    connect(dialog, &CHistoryDlg::keepingToggled, this, &HistoryView::keepingToggled);
    connect(dialog, &CHistoryDlg::clearConfirmed, this, &HistoryView::clearConfirmed);
    connect(dialog, &QObject::destroyed, this, &HistoryView::closed);
}

HistoryWindowView::~HistoryWindowView()
{
    if (m_dialog) {
        disconnect(m_dialog, nullptr, this, nullptr);
        delete m_dialog.data();
    }
}

void HistoryWindowView::setHeading(const QString &heading)
{
    if (m_dialog)
        m_dialog->setHeading(heading);
}

void HistoryWindowView::setKeeping(bool keeping)
{
    if (m_dialog)
        m_dialog->setKeeping(keeping);
}

void HistoryWindowView::showRows(const QList<HistoryRow> &rows, bool hasEarlier)
{
    if (m_dialog)
        m_dialog->showRows(rows, hasEarlier);
}

void HistoryWindowView::addEarlierRows(const QList<HistoryRow> &rows, bool hasEarlier)
{
    if (m_dialog)
        m_dialog->addEarlierRows(rows, hasEarlier);
}

void HistoryWindowView::appendRow(const HistoryRow &row)
{
    if (m_dialog)
        m_dialog->appendRow(row);
}

void HistoryWindowView::bringForward()
{
    if (!m_dialog)
        return;
    m_dialog->show();
    m_dialog->setWindowState(m_dialog->windowState() & ~Qt::WindowMinimized);
    m_dialog->raise();
    m_dialog->activateWindow();
}

bool HistoryWindowView::isOpen() const
{
    return m_dialog != nullptr;
}

std::unique_ptr<HistoryView> WidgetHistoryUi::openHistory()
{
    auto *dialog = new CHistoryDlg;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    return std::make_unique<HistoryWindowView>(dialog);
}

} // namespace quibo
