#include "notices/widgets/CSendingDlg.h"

#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CSendingDlg.h"

namespace quibo {

CSendingDlg::CSendingDlg(QWidget *parent)
    : PopupDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_ui(std::make_unique<Ui::CSendingDlg>())
{
    m_ui->setupUi(this);
    setFocusStepsOnShow(0);
    setPictureLabel(m_ui->animation);
    m_ui->smallPicture->setPixmap(
        pictures::pixmap(res::SendingSmallPicture, m_ui->smallPicture->minimumSize(), devicePixelRatioF()));
}

CSendingDlg::~CSendingDlg() = default;

} // namespace quibo
