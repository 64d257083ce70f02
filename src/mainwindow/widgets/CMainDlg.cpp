#include "mainwindow/widgets/CMainDlg.h"

#include "mainwindow/Commands.h"
#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CMainDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUrl>

namespace quibo {

namespace {
const QColor ItemTextColour(0, 0, 213);
constexpr int ImageSide = 16;
// Set on the item of a contact reached securely.
constexpr int SecureRole = Qt::UserRole;

// A padlock after the handle of a contact reached securely. Drawn, not a character: a desktop
// without an emoji font would show an empty box.
class SecureMarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (!index.data(SecureRole).toBool())
            return;
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget *view = item.widget;
        const QRect text = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        const int side = text.height() * 2 / 3;
        const int x = std::min(text.left() + item.fontMetrics.horizontalAdvance(item.text) + side / 2,
                               text.right() - side);
        const QRectF lock(x, text.center().y() - side / 2.0, side * 0.8, side);
        const QColor colour =
            item.palette.color(item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(colour, side / 7.0));
        const qreal shackle = lock.width() * 0.6;
        painter->drawArc(QRectF(lock.center().x() - shackle / 2, lock.top(), shackle, lock.height() * 0.8), 0,
                         180 * 16);
        painter->fillRect(QRectF(lock.left(), lock.top() + lock.height() * 0.45, lock.width(), lock.height() * 0.55),
                          colour);
        painter->restore();
    }
};

QAction *commandAction(QWidget &owner, const QString &text, int id, CMainDlg &window)
{
    auto *action = new QAction(text, &owner);
    action->setData(id);
    if (id != 0)
        QObject::connect(action, &QAction::triggered, &window,
                         [&window, id] { Q_EMIT window.commandChosen(id); });
    return action;
}

void fillMenu(QMenu &menu, const QList<MenuItem> &items, CMainDlg &window)
{
    for (const MenuItem &item : items) {
        if (item.isSeparator())
            menu.addSeparator();
        else if (!item.children.isEmpty())
            fillMenu(*menu.addMenu(item.text), item.children, window);
        else {
            QAction *action = commandAction(menu, item.text, item.id, window);
            action->setCheckable(item.checkable);
            menu.addAction(action);
        }
    }
}
} // namespace

CMainDlg::CMainDlg(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::CMainDlg>()), m_menuBar(new QMenuBar(this)), m_contactMenu(new QMenu(this)),
      m_menuDelay(new QTimer(this))
{
    m_ui->setupUi(this);
    setWindowIcon(pictures::icon(res::ProgramIcon));
    buildMenuBar();
    layout()->setMenuBar(m_menuBar);

    QTreeWidget *list = m_ui->contactList;
    list->header()->setSectionResizeMode(QHeaderView::Fixed);
    list->header()->setSectionsClickable(false);
    list->setColumnWidth(0, 105);
    list->setItemDelegate(new SecureMarkDelegate(list));
    list->viewport()->installEventFilter(this);
    list->setAcceptDrops(true);
    list->viewport()->setAcceptDrops(true);

    connect(m_ui->channelButton, &QPushButton::clicked, this,
            [this] { Q_EMIT commandChosen(static_cast<int>(Command::ChatChannel)); });
    connect(m_ui->logOffButton, &QPushButton::clicked, this,
            [this] { Q_EMIT commandChosen(static_cast<int>(Command::LogOff)); });

    m_menuDelay->setSingleShot(true);
    connect(m_menuDelay, &QTimer::timeout, this, [this] {
        const QRect frame = frameGeometry();
        m_contactMenu->popup(QPoint(frame.x() + frame.width() - 120, frame.y() + frame.height() - 230));
    });
}

CMainDlg::~CMainDlg() = default;

void CMainDlg::buildMenuBar()
{
    for (const MenuItem &item : mainMenuBar()) {
        if (!item.children.isEmpty()) {
            QMenu *menu = m_menuBar->addMenu(item.text);
            fillMenu(*menu, item.children, *this);
        } else {
            // The empty top-level entries: present, but they carry no command.
            m_menuBar->addAction(commandAction(*m_menuBar, item.text, item.id, *this));
        }
    }
}

void CMainDlg::setCommandChecked(int commandId, bool checked)
{
    for (QAction *action : m_menuBar->findChildren<QAction *>()) {
        if (action->isCheckable() && action->data().toInt() == commandId)
            action->setChecked(checked);
    }
}

void CMainDlg::setContactMenu(const QList<MenuItem> &items)
{
    m_contactMenu->clear();
    qDeleteAll(m_contactMenu->findChildren<QMenu *>(Qt::FindDirectChildrenOnly)); // the old sub-menus
    fillMenu(*m_contactMenu, items, *this);
}

QTreeWidget *CMainDlg::contactList() const
{
    return m_ui->contactList;
}
QPushButton *CMainDlg::channelButton() const
{
    return m_ui->channelButton;
}
QPushButton *CMainDlg::logOffButton() const
{
    return m_ui->logOffButton;
}
QLabel *CMainDlg::statusLine() const
{
    return m_ui->status;
}

void CMainDlg::insertContact(int position, const QString &displayHandle)
{
    QTreeWidget *list = m_ui->contactList;
    auto *item = new QTreeWidgetItem(QStringList{displayHandle});
    item->setIcon(0, pictures::stripImage(res::OnlineOfflineImages, 0, ImageSide, devicePixelRatioF()));
    item->setForeground(0, ItemTextColour);
    item->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    list->insertTopLevelItem(std::clamp(position, 0, list->topLevelItemCount()), item);
}

void CMainDlg::markContact(int position, bool securely)
{
    QTreeWidgetItem *item = m_ui->contactList->topLevelItem(position);
    if (!item)
        return;
    item->setData(0, SecureRole, securely);
    item->setToolTip(0, securely ? tr("Reached securely: encrypted, and its key checked") : QString());
}

void CMainDlg::removeContact(int position)
{
    if (position >= 0 && position < m_ui->contactList->topLevelItemCount())
        delete m_ui->contactList->takeTopLevelItem(position);
}

void CMainDlg::setStatusText(const QString &text)
{
    m_ui->status->setText(text);
}

int CMainDlg::selectedPosition() const
{
    const QList<QTreeWidgetItem *> selected = m_ui->contactList->selectedItems();
    return selected.isEmpty() ? -1 : m_ui->contactList->indexOfTopLevelItem(selected.constFirst());
}

void CMainDlg::popUpContactMenu()
{
    if (m_doubleClickSinceClick)
        return; // the double-click opens the send dialog instead
    // Only a left click can turn into a double-click; wait that long before popping up.
    m_menuDelay->start(m_lastClickLeft ? QApplication::doubleClickInterval() : 0);
}

bool CMainDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->contactList->viewport()) {
        if (onListDrag(event))
            return true;
        onListMouse(event);
    }
    return QDialog::eventFilter(watched, event);
}

// Reports clicks once the list has updated its selection. A click on the empty part of the
// list clears the selection, as a list view does.
void CMainDlg::onListMouse(QEvent *event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const Qt::MouseButton button = mouse->button();
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    QTreeWidget *list = m_ui->contactList;
    if (type != QEvent::MouseButtonRelease && !list->itemAt(mouse->position().toPoint())) {
        list->clearSelection();
        list->setCurrentItem(nullptr);
    }
    const auto report = [this](void (CMainDlg::*signal)(int)) {
        QMetaObject::invokeMethod(
            this,
            [this, signal] {
                Q_EMIT(this->*signal)
                (selectedPosition());
            },
            Qt::QueuedConnection);
    };
    if (type == QEvent::MouseButtonDblClick && button == Qt::LeftButton) {
        m_inDoubleClick = true;
        m_doubleClickSinceClick = true;
        m_menuDelay->stop();
        report(&CMainDlg::itemDoubleClicked);
    } else if (type == QEvent::MouseButtonRelease) {
        if (m_inDoubleClick) {
            m_inDoubleClick = false; // the second half of a double-click is no click of its own
            return;
        }
        m_doubleClickSinceClick = false;
        m_lastClickLeft = button == Qt::LeftButton;
        report(button == Qt::LeftButton ? &CMainDlg::itemClicked : &CMainDlg::itemRightClicked);
    }
}

bool CMainDlg::onListDrag(QEvent *event)
{
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    QStringList paths;
    for (const QUrl &url : drop->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    if (paths.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction); // the file stays where it is
    drop->accept();
    if (type == QEvent::Drop) {
        QTreeWidget *list = m_ui->contactList;
        QTreeWidgetItem *item = list->itemAt(drop->position().toPoint());
        Q_EMIT filesDropped(item ? list->indexOfTopLevelItem(item) : -1, paths);
    }
    return true;
}

void CMainDlg::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Enter presses the focused button and nothing else; it never ends the window.
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if (button && button->isVisible() && button->isEnabled())
        button->click();
}

void CMainDlg::closeEvent(QCloseEvent *event)
{
    // The behaviour logs off and ends the program, or keeps the window when logoff fails.
    event->ignore();
    Q_EMIT closeBoxPressed();
}

void CMainDlg::reject()
{
    Q_EMIT escapePressed();
}

} // namespace quibo
