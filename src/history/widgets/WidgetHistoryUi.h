#pragma once

#include "ports/HistoryUi.h"

#include <QPointer>

namespace quibo {

class CHistoryDlg;

// The history window as the behaviour drives it; the window goes with the view.
class HistoryWindowView : public HistoryView {
    Q_OBJECT
public:
    explicit HistoryWindowView(CHistoryDlg *dialog);
    ~HistoryWindowView() override;

    void setHeading(const QString &heading) override;
    void setKeeping(bool keeping) override;
    void showRows(const QList<HistoryRow> &rows, bool hasEarlier) override;
    void addEarlierRows(const QList<HistoryRow> &rows, bool hasEarlier) override;
    void appendRow(const HistoryRow &row) override;
    void bringForward() override;
    [[nodiscard]] bool isOpen() const override;

private:
    QPointer<CHistoryDlg> m_dialog;
};

// Makes a history window, a window of its own, for each opening.
class WidgetHistoryUi : public HistoryUi {
public:
    std::unique_ptr<HistoryView> openHistory() override;
};

} // namespace quibo
