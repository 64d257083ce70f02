#include "consent/widgets/CManageContactsDlg.h"

#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CManageContactsDlg.h"

#include <QKeyEvent>

namespace quibo {

namespace {
const QColor ItemTextColour(0, 0, 213);
constexpr int ImageSide = 16;
constexpr int ColumnWidth = 107;
} // namespace

CManageContactsDlg::CManageContactsDlg(QWidget *parent)
    : FormDialog(parent), m_ui(std::make_unique<Ui::CManageContactsDlg>())
{
    m_ui->setupUi(this);
    m_ui->picture->setPixmap(
        pictures::pixmap(res::ManageContactsPicture, m_ui->picture->minimumSize(), devicePixelRatioF()));
    m_ui->contactList->setColumnWidth(0, ColumnWidth);
    m_ui->contactList->setIconSize(QSize(ImageSide, ImageSide));
    setFocusStepsOnShow(3);
    connect(m_ui->contactList, &QTreeWidget::itemClicked, this, &CManageContactsDlg::rememberSelection);
    connect(m_ui->contactList, &QWidget::customContextMenuRequested, this,
            &CManageContactsDlg::rememberSelection);
    connect(m_ui->addButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(ConsentUi::AddButton); });
    connect(m_ui->deleteButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(ConsentUi::DeleteButton); });
    connect(m_ui->exitButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(ConsentUi::ExitButton); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CManageContactsDlg::~CManageContactsDlg() = default;

void CManageContactsDlg::setFields(ManageContactsFields &fields)
{
    m_fields = &fields;
    refresh();
}

void CManageContactsDlg::refresh()
{
    if (!m_fields)
        return;
    QTreeWidget &list = *m_ui->contactList;
    list.clear();
    for (const ManageContactsFields::Item &entry : std::as_const(m_fields->items)) {
        auto *item = new QTreeWidgetItem(&list, {entry.text});
        item->setForeground(0, ItemTextColour);
        item->setIcon(0, pictures::stripImage(res::OnlineOfflineImages, entry.online ? 0 : 1, ImageSide,
                                              devicePixelRatioF()));
    }
    if (QTreeWidgetItem *remembered = list.topLevelItem(m_fields->selection))
        list.setCurrentItem(remembered);
}

void CManageContactsDlg::setButtonsEnabled(bool enabled)
{
    m_ui->addButton->setEnabled(enabled);
    m_ui->deleteButton->setEnabled(enabled);
    m_ui->exitButton->setEnabled(enabled);
}

QTreeWidget *CManageContactsDlg::list() const
{
    return m_ui->contactList;
}

void CManageContactsDlg::keyPressEvent(QKeyEvent *event)
{
    // The hidden Cancel is the default button: Enter in the list closes the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        m_ui->cancelButton->click();
    else
        FormDialog::keyPressEvent(event);
}

void CManageContactsDlg::rememberSelection()
{
    if (!m_fields)
        return;
    const QList<QTreeWidgetItem *> selected = m_ui->contactList->selectedItems();
    m_fields->selection =
        selected.isEmpty() ? -1 : m_ui->contactList->indexOfTopLevelItem(selected.constFirst());
}

} // namespace quibo
