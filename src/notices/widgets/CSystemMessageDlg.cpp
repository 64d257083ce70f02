#include "notices/widgets/CSystemMessageDlg.h"

#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CSystemMessageDlg.h"

namespace quibo {

CSystemMessageDlg::CSystemMessageDlg(QWidget *parent)
    : QuiboDialog(parent), m_ui(std::make_unique<Ui::CSystemMessageDlg>())
{
    m_ui->setupUi(this);
    setFocusStepsOnShow(1);
    m_ui->icon->setPixmap(
        pictures::pixmap(res::MessageBoxIcon, m_ui->icon->minimumSize(), devicePixelRatioF()));
    m_ui->line3->setText(QStringLiteral("nothing"));
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CSystemMessageDlg::~CSystemMessageDlg() = default;

void CSystemMessageDlg::setLines(const QString &line1, const QString &line2)
{
    m_line1 = line1;
    m_line2 = line2;
    m_ui->line1->setText(line1);
    m_ui->line2->setText(line2);
    m_ui->line2->setVisible(!line2.isEmpty());
}

} // namespace quibo
