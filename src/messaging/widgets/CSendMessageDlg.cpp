#include "messaging/widgets/CSendMessageDlg.h"

#include "base/Utf8.h"
#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CSendMessageDlg.h"

#include <QTextCursor>

namespace quibo {

namespace {
qsizetype wireBytes(const QString &edited)
{
    return CSendMessageDlg::toWire(edited).toUtf8().size();
}
} // namespace

CSendMessageDlg::CSendMessageDlg(QWidget *parent)
    : MessageDialog(parent), m_ui(std::make_unique<Ui::CSendMessageDlg>())
{
    m_ui->setupUi(this);
    m_ui->picture->setPixmap(
        pictures::pixmap(res::MessageDialogPicture, m_ui->picture->minimumSize(), devicePixelRatioF()));
    setFirstControl(m_ui->sendButton);
    setCancelControl(MessageUi::CancelButton);
    reportClicks(m_ui->sendButton, MessageUi::SendButton);
    reportClicks(m_ui->cancelButton, MessageUi::CancelButton);
    // The hidden default button takes Enter outside the edit and does nothing with it.
    connect(m_ui->message->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int charsAdded) {
                if (m_showing)
                    return;
                keepWithinLimit(position, charsAdded);
                copyScreenToFields();
            });
}

CSendMessageDlg::~CSendMessageDlg() = default;

QPlainTextEdit *CSendMessageDlg::messageEdit() const
{
    return m_ui->message;
}

QString CSendMessageDlg::shownTo() const
{
    return m_ui->to->text();
}

QString CSendMessageDlg::toWire(const QString &edited)
{
    QString wire = edited;
    return wire.replace(u'\n', QStringLiteral("\r\n"));
}

QString CSendMessageDlg::toScreen(const QString &wire)
{
    QString screen = wire;
    return screen.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void CSendMessageDlg::bind(SendMessageFields &fields)
{
    m_fields = &fields;
    showFields();
}

void CSendMessageDlg::showFields()
{
    if (!m_fields)
        return;
    m_showing = true;
    m_ui->to->setText(m_fields->m_to);
    m_ui->replyAddress->setText(m_fields->m_replyAddress);
    m_ui->replyMode->setText(replyModeText(m_fields->m_replyMode));
    // Leave the edit alone when it already shows the text, so typing is not disturbed.
    if (toWire(m_ui->message->toPlainText()) != m_fields->m_message) {
        m_ui->message->setPlainText(toScreen(m_fields->m_message));
        m_ui->message->moveCursor(QTextCursor::End);
    }
    m_showing = false;
}

void CSendMessageDlg::setButtonsEnabled(bool enabled)
{
    m_ui->sendButton->setEnabled(enabled);
    m_ui->cancelButton->setEnabled(enabled);
}

// Drops what was just typed or pasted beyond the limit, keeping whole characters.
void CSendMessageDlg::keepWithinLimit(int position, int charsAdded)
{
    QPlainTextEdit *edit = m_ui->message;
    const QString text = edit->toPlainText();
    if (wireBytes(text) <= MaxMessageBytes)
        return;
    const int end = position + charsAdded;
    const auto fits = [&](int keep) { return wireBytes(text.left(keep) + text.mid(end)) <= MaxMessageBytes; };
    // The longest start of the addition that fits (the bytes grow with every character kept).
    int low = position;
    int high = end;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (fits(mid))
            low = mid;
        else
            high = mid - 1;
    }
    int keep = low;
    if (keep > position && keep < text.size() && text.at(keep).isLowSurrogate())
        --keep;
    QTextCursor cursor(edit->document());
    cursor.setPosition(keep);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_showing = true;
    cursor.removeSelectedText();
    if (wireBytes(edit->toPlainText()) > MaxMessageBytes) {
        // The text was too long before this edit; cut its end.
        QString wire = utf8::cut(toWire(edit->toPlainText()), MaxMessageBytes);
        if (wire.endsWith(u'\r'))
            wire.chop(1);
        edit->setPlainText(toScreen(wire));
        cursor = edit->textCursor();
        cursor.movePosition(QTextCursor::End);
    }
    m_showing = false;
    edit->setTextCursor(cursor);
}

void CSendMessageDlg::copyScreenToFields()
{
    if (!m_fields)
        return;
    m_fields->m_message = toWire(m_ui->message->toPlainText());
    m_fields->m_to = m_ui->to->text();
    m_fields->m_replyAddress = m_ui->replyAddress->text();
}

} // namespace quibo
