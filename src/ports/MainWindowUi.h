#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace quibo {

// A menu described as data: the widget builds it, tests read it.
struct MenuItem {
    QString text; // empty with id 0 and no children: a separator
    int id = 0;   // 0 for a sub-menu, a separator, or an item with no command
    QList<MenuItem> children;
    bool checkable = false;

    [[nodiscard]] bool isSeparator() const { return text.isEmpty() && id == 0 && children.isEmpty(); }
};

// The main window as the behaviour sees it. There is one for the whole run.
class MainWindowView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void show() = 0;
    virtual void setTitle(const QString &title) = 0;
    virtual void setStatusText(const QString &text) = 0;
    // Make it the active window with the focus, on top, unless another window of the program
    // is open: that one keeps the keyboard.
    virtual void activate() = 0;
    // Hide, minimise, restore and raise: brings the window forward from the task bar.
    virtual void bringForward() = 0;
    // Whether the user is working in the main window now, not in another program.
    [[nodiscard]] virtual bool isActive() const = 0;
    // Shows a checkable menu item of the menu bar checked or not.
    virtual void setCommandChecked(int commandId, bool checked) = 0;
    // Ends the window without ending the program (Esc).
    virtual void dismiss() = 0;

    // The "Contacts Online" list: item positions are the contacts' list indexes.
    virtual void insertContactItem(int position, const QString &displayHandle) = 0;
    virtual void removeContactItem(int position) = 0;
    virtual void setChannelButtonEnabled(bool enabled) = 0;
    virtual void setLogOffButtonEnabled(bool enabled) = 0;
    // The contact menu's items, set before the window shows.
    virtual void setContactMenu(const QList<MenuItem> &menu) = 0;
    // Pops up the contact menu; the chosen item arrives as commandChosen.
    virtual void showContactMenu() = 0;

Q_SIGNALS:
    // A menu item or button, by its command id (see Commands.h).
    void commandChosen(int commandId);
    // A click, right-click or double-click in the list, with the selected item's position,
    // or -1 when no item is selected.
    void itemClicked(int position);
    void itemRightClicked(int position);
    void itemDoubleClicked(int position);
    // Files dropped on the list from the desktop: onto the item at `position`, or -1 for no item.
    void filesDropped(int position, QStringList paths);
    // The user asked to close the window (close box).
    void closeRequested();
    // Esc: the window ends; the program goes on.
    void dismissed();
};

} // namespace quibo
