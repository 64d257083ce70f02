#pragma once

#include "app/widgets/CConnectDlg.h"
#include "ports/ConnectUi.h"

#include <QPointer>

namespace quibo {

// The start-up dialog as the behaviour drives it. The dialog lives until it is closed or
// this view is destroyed, whichever comes first.
class ConnectDialogView : public ConnectView {
    Q_OBJECT
public:
    explicit ConnectDialogView(CConnectDlg *dialog);
    ~ConnectDialogView() override;

    void setPrompt(const QString &prompt) override;
    void setConnectEnabled(bool enabled) override;
    void minimize() override;
    void activate() override;

    [[nodiscard]] CConnectDlg *dialog() const { return m_dialog; }

private:
    QPointer<CConnectDlg> m_dialog;
};

class WidgetConnectUi : public ConnectUi {
public:
    std::unique_ptr<ConnectView> openConnectDialog() override;
};

} // namespace quibo
