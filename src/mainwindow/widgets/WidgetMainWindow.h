#pragma once

#include "ports/MainWindowUi.h"

#include <QPointer>

namespace quibo {

class CMainDlg;

// The main window as the behaviour drives it. The window exists for the whole run; once Esc
// has ended it, nothing brings it back.
class WidgetMainWindow : public MainWindowView {
    Q_OBJECT
public:
    explicit WidgetMainWindow(QObject *parent = nullptr);
    ~WidgetMainWindow() override;

    // The window that DialogOwner::MainWindow dialogs are modal to.
    [[nodiscard]] CMainDlg *widget() const { return m_window; }

    void show() override;
    void setTitle(const QString &title) override;
    void setStatusText(const QString &text) override;
    void activate() override;
    [[nodiscard]] bool isActive() const override;
    void setCommandChecked(int commandId, bool checked) override;
    void bringForward() override;
    void dismiss() override;
    void insertContactItem(int position, const QString &displayHandle) override;
    void removeContactItem(int position) override;
    void setChannelButtonEnabled(bool enabled) override;
    void setLogOffButtonEnabled(bool enabled) override;
    void setContactMenu(const QList<MenuItem> &menu) override;
    void showContactMenu() override;

private:
    QPointer<CMainDlg> m_window;
    bool m_dismissed = false;
};

} // namespace quibo
