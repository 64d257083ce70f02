#include "notices/widgets/CAboutDlg.h"

#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CAboutDlg.h"

namespace quibo {

CAboutDlg::CAboutDlg(QWidget *parent) : QuiboDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    m_ui->icon->setPixmap(pictures::pixmap(res::ProgramIcon, m_ui->icon->minimumSize(), devicePixelRatioF()));
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

} // namespace quibo
