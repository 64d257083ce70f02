#pragma once

#include "mainwindow/Commands.h"
#include "ports/BroadcastUi.h"
#include "ports/ConnectUi.h"
#include "ports/MainWindowUi.h"
#include "ports/NoticeUi.h"

#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

namespace quibo::test {

class ScriptedPictureView;

// "main" or "desktop", as the logs name a dialog's owner.
inline QString ownerName(DialogOwner owner)
{
    return owner == DialogOwner::MainWindow ? QStringLiteral("main") : QStringLiteral("desktop");
}

// A popup as the scripted user saw it: every picture shown, in order, and when. It outlives
// the popup so a test can look at it afterwards.
struct PopupRecord {
    QString name;
    QList<int> pictures;
    QList<qint64> shownAtMs; // milliseconds since opening, one per picture
    bool open = true;
    QPointer<ScriptedPictureView> view;

    // The user presses "&OK" (nothing happens once the popup has closed).
    void pressOk();
};

class ScriptedPictureView : public PictureView {
    Q_OBJECT
public:
    explicit ScriptedPictureView(std::shared_ptr<PopupRecord> record);

    void showPicture(int pictureId) override;
    void close() override;
    [[nodiscard]] bool isOpen() const override { return m_record->open; }

private:
    std::shared_ptr<PopupRecord> m_record;
    QElapsedTimer m_clock;
};

// The start-up dialog as the scripted user sees and works it.
class ScriptedConnectView : public ConnectView {
    Q_OBJECT
public:
    void setPrompt(const QString &) override {}
    void setConnectEnabled(bool enabled) override { connectEnabled = enabled; }
    void minimize() override { minimized = true; }
    void activate() override { ++activateCount; }

    // The user's hands: clicks Connect only while it is enabled, as a real button.
    void clickConnect()
    {
        if (connectEnabled)
            Q_EMIT connectClicked();
    }
    void restoreFromTaskBar()
    {
        minimized = false;
        Q_EMIT restored();
    }
    void closeBox() { Q_EMIT closed(); }

    bool connectEnabled = true;
    bool minimized = false;
    int activateCount = 0;
};

class ScriptedMainWindow : public MainWindowView {
    Q_OBJECT
public:
    void show() override
    {
        shown = true;
        ++showCount;
    }
    void setTitle(const QString &text) override { title = text; }
    void setStatusText(const QString &text) override { status = text; }
    void activate() override { ++activateCount; }
    void bringForward() override { ++bringForwardCount; }
    [[nodiscard]] bool isActive() const override { return active; }
    void setCommandChecked(int commandId, bool on) override { checked[commandId] = on; }
    void dismiss() override { shown = false; }
    void insertContactItem(int position, const QString &displayHandle) override
    {
        items.insert(position, displayHandle);
    }
    void removeContactItem(int position) override { items.removeAt(position); }
    void setChannelButtonEnabled(bool enabled) override { channelButtonEnabled = enabled; }
    void setLogOffButtonEnabled(bool enabled) override { logOffButtonEnabled = enabled; }
    void setContactMenu(const QList<MenuItem> &menu) override { contactMenu = menu; }
    void showContactMenu() override { ++contactMenuShown; }

    // The user's hands on the list and the menus.
    void click(int position) { Q_EMIT itemClicked(position); }
    void rightClick(int position) { Q_EMIT itemRightClicked(position); }
    void doubleClick(int position) { Q_EMIT itemDoubleClicked(position); }
    void choose(Command command) { Q_EMIT commandChosen(static_cast<int>(command)); }

    void closeBox() { Q_EMIT closeRequested(); }
    void pressEsc()
    {
        dismiss();
        Q_EMIT dismissed();
    }

    bool shown = false;
    int showCount = 0;
    QString title = QStringLiteral("Quibo32");
    QString status;
    int activateCount = 0;
    int bringForwardCount = 0;
    QStringList items; // the "Contacts Online" list, top to bottom
    bool channelButtonEnabled = false;
    bool logOffButtonEnabled = false;
    int contactMenuShown = 0;
    QList<MenuItem> contactMenu;
    bool active = true; // the user works in the main window
    QMap<int, bool> checked;
};

// The user's eyes and hands for dialogs: records each dialog as a line of the log and
// closes it at once, unless told to hold dialogs open until released.
class ScriptedUi : public QObject, public NoticeUi, public ConnectUi {
    Q_OBJECT
public:
    QCoro::Task<> showSystemMessage(DialogOwner, QString line1, QString line2) override
    {
        return dialog(QStringLiteral("message|%1|%2").arg(line1, line2));
    }
    std::unique_ptr<PictureView> openSmiley(SmileyLook look, QString fromName) override;
    std::unique_ptr<PictureView> openSending(DialogOwner owner) override;
    QCoro::Task<> showHint(DialogOwner owner) override
    {
        return dialog(QStringLiteral("hint|") + ownerName(owner));
    }
    QCoro::Task<> showAbout(DialogOwner owner) override
    {
        return dialog(QStringLiteral("about|") + ownerName(owner));
    }
    std::unique_ptr<ConnectView> openConnectDialog() override;

    // While held, message boxes, the hint and the About box stay open until releaseDialogs().
    void holdDialogs(bool hold) { m_hold = hold; }
    void releaseDialogs() { Q_EMIT released(); }

    // Lines like "message|line one|line two", "smiley|Wink|LoopBack", "sending", "hint", "about".
    QStringList log;
    // Every popup opened, oldest first.
    QList<std::shared_ptr<PopupRecord>> popups;
    ScriptedConnectView *connectView = nullptr;

Q_SIGNALS:
    void released();

private:
    QCoro::Task<> dialog(QString line);
    std::unique_ptr<PictureView> openPopup(QString name);
    bool m_hold = false;
};

// The user's eyes on the broadcast dialog: logs "broadcast|line1|...|line5" into the scripted
// user's log and closes it at once.
class ScriptedBroadcast : public BroadcastUi {
public:
    explicit ScriptedBroadcast(QStringList &log) : m_log(log) {}
    QCoro::Task<> showBroadcastMessage(BroadcastMessageFields fields) override
    {
        m_log.append(QStringLiteral("broadcast|") +
                     QStringList(fields.lines.begin(), fields.lines.end()).join(u'|'));
        co_return;
    }

private:
    QStringList &m_log;
};

} // namespace quibo::test
