#include "notices/widgets/CSmileyDlg.h"

#include "ui_CSmileyDlg.h"

namespace quibo {

CSmileyDlg::CSmileyDlg(int dialogId, QWidget *parent)
    : PopupDialog(parent), m_ui(std::make_unique<Ui::CSmileyDlg>())
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("smiley%1").arg(dialogId));
    setPictureLabel(m_ui->picture);
    // The hidden "dumb" button is the default: it takes Enter and does nothing with it.
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CSmileyDlg::~CSmileyDlg() = default;

void CSmileyDlg::setFromName(const QString &name)
{
    m_fromName = name;
    m_ui->fromName->setText(name);
}

} // namespace quibo
