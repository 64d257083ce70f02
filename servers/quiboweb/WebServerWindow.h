#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace quibo::web {

struct ServedRequest;

// The server's window: what it serves and where, then one line per answered request.
class WebServerWindow : public QWidget {
    Q_OBJECT
public:
    explicit WebServerWindow(QWidget *parent = nullptr);

    void showServing(const QString &text);
    void showFailure(const QString &text);
    void addServed(const ServedRequest &request);

    [[nodiscard]] QString statusText() const;
    [[nodiscard]] QStringList servedLines() const;

private:
    QLabel *m_status;
    QPlainTextEdit *m_log;
};

} // namespace quibo::web
