#include "WebServerWindow.h"

#include "ServedRequest.h"
#include "base/WindowKey.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quibo::web {

namespace {

constexpr int KeptLines = 2000;

} // namespace

WebServerWindow::WebServerWindow(QWidget *parent)
    : QWidget(parent)
    , m_status(new QLabel(this))
    , m_log(new QPlainTextEdit(this))
{
    setWindowTitle(WebServerWindowTitle);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_log->setReadOnly(true);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setMaximumBlockCount(KeptLines);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_log);
    resize(560, 300);
}

void WebServerWindow::showServing(const QString &text)
{
    m_status->setStyleSheet({});
    m_status->setText(text);
}

void WebServerWindow::showFailure(const QString &text)
{
    m_status->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_status->setText(text);
}

void WebServerWindow::addServed(const ServedRequest &request)
{
    m_log->appendPlainText(formatServedLine(request));
}

QString WebServerWindow::statusText() const
{
    return m_status->text();
}

QStringList WebServerWindow::servedLines() const
{
    return m_log->toPlainText().split(u'\n', Qt::SkipEmptyParts);
}

} // namespace quibo::web
