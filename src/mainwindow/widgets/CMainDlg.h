#pragma once

#include "ports/MainWindowUi.h"

#include <QDialog>

#include <memory>

class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace Ui {
class CMainDlg;
}

namespace quibo {

// The main window: the "Contacts Online" list, "Ch&at Channel", "&Log Off", the status line,
// the menu bar and the contact menu. It reports what the user does and decides nothing.
class CMainDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMainDlg(QWidget *parent = nullptr);
    ~CMainDlg() override;

    void insertContact(int position, const QString &displayHandle);
    void removeContact(int position);
    void setStatusText(const QString &text);
    void setContactMenu(const QList<MenuItem> &items);
    void setCommandChecked(int commandId, bool checked);
    // Pops up the contact menu at the window's right edge - 120, bottom edge - 230, once it is
    // clear that the click that asked for it is not the first half of a double-click.
    void popUpContactMenu();

    [[nodiscard]] QTreeWidget *contactList() const;
    [[nodiscard]] QPushButton *channelButton() const;
    [[nodiscard]] QPushButton *logOffButton() const;
    [[nodiscard]] QLabel *statusLine() const;
    [[nodiscard]] QMenuBar *menuBar() const { return m_menuBar; }
    [[nodiscard]] QMenu *contactMenu() const { return m_contactMenu; }
    // The selected item's position, or -1.
    [[nodiscard]] int selectedPosition() const;

Q_SIGNALS:
    void commandChosen(int commandId);
    void itemClicked(int position);
    void itemRightClicked(int position);
    void itemDoubleClicked(int position);
    void filesDropped(int position, QStringList paths);
    void closeBoxPressed();
    void escapePressed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildMenuBar();
    void onListMouse(QEvent *event);
    // Takes files dragged from the desktop onto the list; true when the event was one of them.
    bool onListDrag(QEvent *event);

    std::unique_ptr<Ui::CMainDlg> m_ui;
    QMenuBar *m_menuBar = nullptr;
    QMenu *m_contactMenu = nullptr;
    QTimer *m_menuDelay = nullptr;
    bool m_inDoubleClick = false;
    bool m_doubleClickSinceClick = false;
    bool m_lastClickLeft = false;
};

} // namespace quibo
