#include "notices/widgets/CHintDlg.h"

#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CHintDlg.h"

namespace quibo {

CHintDlg::CHintDlg(QWidget *parent) : QuiboDialog(parent), m_ui(std::make_unique<Ui::CHintDlg>())
{
    m_ui->setupUi(this);
    m_ui->icon->setPixmap(pictures::pixmap(res::ProgramIcon, m_ui->icon->minimumSize(), devicePixelRatioF()));
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CHintDlg::~CHintDlg() = default;

} // namespace quibo
