#pragma once

#include "ports/HistoryUi.h"
#include "widgetkit/QuiboDialog.h"

#include <memory>

class QTreeWidget;
class QLineEdit;

namespace Ui {
class CHistoryDlg;
}

namespace quibo {

// The item data role holding a row's text as HTML, its matched words marked.
inline constexpr int MarkedTextRole = Qt::UserRole + 1;

// `text` as HTML with the parts in `marks` in bold on yellow.
QString markedHtml(const QString &text, const QList<TextSpan> &marks);

// "Quibo32 - History": the search field, the rows (time, with whom, what), "Earlier", "Keep
// History", and "Clear History...", which asks again in the window itself before it clears.
class CHistoryDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CHistoryDlg(QWidget *parent = nullptr);
    ~CHistoryDlg() override;

    void setHeading(const QString &heading);
    void setKeeping(bool keeping);
    void showRows(const QList<HistoryRow> &rows, bool hasEarlier);
    void addEarlierRows(const QList<HistoryRow> &rows, bool hasEarlier);
    void appendRow(const HistoryRow &row);

    [[nodiscard]] QTreeWidget *rows() const;
    [[nodiscard]] QLineEdit *searchEdit() const;
    [[nodiscard]] QString heading() const;

Q_SIGNALS:
    void searchEdited(const QString &text);
    void earlierWanted();
    void keepingToggled(bool keeping);
    void clearConfirmed();

private:
    void fitColumns();
    void askToClear();
    void answerClear(bool yes);

    std::unique_ptr<Ui::CHistoryDlg> m_ui;
};

} // namespace quibo
