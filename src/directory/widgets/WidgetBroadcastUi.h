#pragma once

#include "ports/BroadcastUi.h"

#include <QObject>
#include <QPointer>

namespace quibo {

class CBroadcastMessageDlg;

// The broadcast dialog as a real window: one object for the whole run, shown again over its
// fields each time.
class WidgetBroadcastUi : public QObject, public BroadcastUi {
    Q_OBJECT
public:
    explicit WidgetBroadcastUi(QObject *parent = nullptr);
    ~WidgetBroadcastUi() override;

    QCoro::Task<> showBroadcastMessage(BroadcastMessageFields fields) override;

private:
    QPointer<CBroadcastMessageDlg> m_dialog;
};

} // namespace quibo
