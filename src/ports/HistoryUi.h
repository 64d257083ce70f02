#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace quibo {

// A part of a row's text that matched the search: UTF-16 positions.
struct TextSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const TextSpan &, const TextSpan &) = default;
};

// One line of the history window.
struct HistoryRow {
    QDateTime time;
    QString with;  // the contact, or the channel
    QString text;  // what happened, with who did it
    QList<TextSpan> marks;
};

// The open history window: a search field, the rows, "Earlier", "Keep history" and
// "Clear". It asks the user to confirm a clear itself, and goes when the view is destroyed.
class HistoryView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whose history it shows, over the rows.
    virtual void setHeading(const QString &heading) = 0;
    virtual void setKeeping(bool keeping) = 0;
    // Replaces the rows and scrolls to the last; `hasEarlier` enables "Earlier".
    virtual void showRows(const QList<HistoryRow> &rows, bool hasEarlier) = 0;
    // Puts `rows` before the rows shown, keeping the view where it was.
    virtual void addEarlierRows(const QList<HistoryRow> &rows, bool hasEarlier) = 0;
    virtual void appendRow(const HistoryRow &row) = 0;
    virtual void bringForward() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;

Q_SIGNALS:
    void searchEdited(const QString &text);
    void earlierWanted();
    void keepingToggled(bool keeping);
    // The user confirmed "Clear" for what the window shows.
    void clearConfirmed();
    void closed();
};

class HistoryUi {
public:
    virtual ~HistoryUi() = default;
    // "Quibo32 - History", a window of its own.
    virtual std::unique_ptr<HistoryView> openHistory() = 0;
};

} // namespace quibo
