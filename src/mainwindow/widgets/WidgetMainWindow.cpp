#include "mainwindow/widgets/WidgetMainWindow.h"

#include "mainwindow/widgets/CMainDlg.h"

#include <QApplication>
#include <QPushButton>

#include <algorithm>

namespace quibo {

WidgetMainWindow::WidgetMainWindow(QObject *parent) : MainWindowView(parent), m_window(new CMainDlg)
{
    connect(m_window, &CMainDlg::commandChosen, this, &MainWindowView::commandChosen);
    connect(m_window, &CMainDlg::itemClicked, this, &MainWindowView::itemClicked);
    connect(m_window, &CMainDlg::itemRightClicked, this, &MainWindowView::itemRightClicked);
    connect(m_window, &CMainDlg::itemDoubleClicked, this, &MainWindowView::itemDoubleClicked);
    connect(m_window, &CMainDlg::filesDropped, this, &MainWindowView::filesDropped);
    connect(m_window, &CMainDlg::closeBoxPressed, this, &MainWindowView::closeRequested);
    connect(m_window, &CMainDlg::escapePressed, this, [this] {
        dismiss();
        Q_EMIT dismissed();
    });
}

WidgetMainWindow::~WidgetMainWindow()
{
    delete m_window.data();
}

void WidgetMainWindow::show()
{
    if (m_dismissed)
        return;
    m_window->show();
    m_window->raise();
}

void WidgetMainWindow::setTitle(const QString &title)
{
    m_window->setWindowTitle(title);
}

void WidgetMainWindow::setStatusText(const QString &text)
{
    m_window->setStatusText(text);
}

namespace {
// Another window of the program that the user sees: a dialog, a chat window, a popup. Menus
// and tool tips do not count, nor a minimised window such as the start-up dialog.
bool otherWindowOpen(const QWidget *mainWindow)
{
    const auto isOther = [mainWindow](const QWidget *w) {
        const Qt::WindowType type = w->windowType();
        return w != mainWindow && w->isVisible() && !w->isMinimized() &&
               (type == Qt::Window || type == Qt::Dialog);
    };
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), isOther);
}
} // namespace

void WidgetMainWindow::activate()
{
    if (m_dismissed)
        return;
    // Asked for by no one at this moment (the start-up timer, the end of logon): a dialog the
    // user is reading or filling in keeps the keyboard and stays on top.
    if (otherWindowOpen(m_window))
        return;
    m_window->raise();
    m_window->activateWindow();
}

bool WidgetMainWindow::isActive() const
{
    return !m_dismissed && m_window->isActiveWindow();
}

void WidgetMainWindow::setCommandChecked(int commandId, bool checked)
{
    m_window->setCommandChecked(commandId, checked);
}

void WidgetMainWindow::bringForward()
{
    if (m_dismissed)
        return; // the window has ended; there is nothing to bring back
    m_window->hide();
    m_window->showMinimized();
    m_window->showNormal();
    // The user asked for it, from the task bar.
    m_window->raise();
    m_window->activateWindow();
}

void WidgetMainWindow::dismiss()
{
    m_dismissed = true;
    m_window->hide();
}

void WidgetMainWindow::insertContactItem(int position, const QString &displayHandle)
{
    m_window->insertContact(position, displayHandle);
}

void WidgetMainWindow::removeContactItem(int position)
{
    m_window->removeContact(position);
}

void WidgetMainWindow::setChannelButtonEnabled(bool enabled)
{
    m_window->channelButton()->setEnabled(enabled);
}

void WidgetMainWindow::setLogOffButtonEnabled(bool enabled)
{
    m_window->logOffButton()->setEnabled(enabled);
}

void WidgetMainWindow::setContactMenu(const QList<MenuItem> &menu)
{
    m_window->setContactMenu(menu);
}

void WidgetMainWindow::showContactMenu()
{
    if (!m_dismissed)
        m_window->popUpContactMenu();
}

} // namespace quibo
