#include "directory/widgets/CBroadcastMessageDlg.h"

#include "ui_CBroadcastMessageDlg.h"

namespace quibo {

CBroadcastMessageDlg::CBroadcastMessageDlg(QWidget *parent)
    : QuiboDialog(parent), m_ui(std::make_unique<Ui::CBroadcastMessageDlg>())
{
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CBroadcastMessageDlg::~CBroadcastMessageDlg() = default;

void CBroadcastMessageDlg::setFields(const BroadcastMessageFields &fields)
{
    QLabel *const labels[] = {m_ui->line1, m_ui->line2, m_ui->line3, m_ui->line4, m_ui->line5};
    for (size_t i = 0; i < fields.lines.size(); ++i)
        labels[i]->setText(fields.lines.at(i));
}

QStringList CBroadcastMessageDlg::shownLines() const
{
    return {m_ui->line1->text(), m_ui->line2->text(), m_ui->line3->text(), m_ui->line4->text(), m_ui->line5->text()};
}

} // namespace quibo
