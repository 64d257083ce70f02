#include "directory/widgets/CHandleInUseDlg.h"

#include "ui_CHandleInUseDlg.h"

namespace quibo {

CHandleInUseDlg::CHandleInUseDlg(QWidget *parent)
    : QuiboDialog(parent), m_ui(std::make_unique<Ui::CHandleInUseDlg>())
{
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CHandleInUseDlg::~CHandleInUseDlg() = default;

QStringList CHandleInUseDlg::lines() const
{
    return {m_ui->line1->text(), m_ui->line2->text(), m_ui->line3->text(),
            m_ui->line4->text(), m_ui->line5->text(), m_ui->line6->text()};
}

} // namespace quibo
