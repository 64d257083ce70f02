#include "channel/widgets/ChatDialog.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace quibo {

namespace {
constexpr int ColumnWidth = 400;
const QColor RowColour(0, 0, 213);
} // namespace

ChatDialog::ChatDialog(QWidget *parent) : FormDialog(parent)
{
    setFocusStepsOnShow(1);
}

void ChatDialog::wire(QTreeWidget *list, QLineEdit *edit, QPushButton *closeButton)
{
    m_list = list;
    m_edit = edit;
    m_close = closeButton;
    list->setFocus(); // where a fresh window starts; the step on showing lands on the line
    list->setHeaderLabels({QStringLiteral("Incoming Messages")});
    list->setColumnCount(1);
    list->setColumnWidth(0, ColumnWidth);
    list->setRootIsDecorated(false);
    list->header()->setDefaultAlignment(Qt::AlignLeft);
    list->header()->setStretchLastSection(false);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Text, RowColour);
    list->setPalette(palette);
    edit->setMaxLength(ChatFields::MaxTyped);
    connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_fields)
            m_fields->m_message = text;
    });
    // Enter in the edit line stands for the hidden default "OK".
    connect(edit, &QLineEdit::returnPressed, this, [this] { Q_EMIT buttonPressed(ChatView::EnterButton); });
    connect(closeButton, &QPushButton::clicked, this,
            [this] { Q_EMIT buttonPressed(ChatView::CloseButton); });
}

void ChatDialog::setFields(ChatFields &fields)
{
    m_fields = &fields;
    refresh();
}

void ChatDialog::refresh()
{
    if (m_fields && m_edit->text() != m_fields->m_message)
        m_edit->setText(m_fields->m_message);
}

void ChatDialog::setButtonsEnabled(bool enabled)
{
    m_close->setEnabled(enabled);
    m_edit->setEnabled(enabled);
}

void ChatDialog::appendRow(const QString &row)
{
    auto *item = new QTreeWidgetItem(m_list, {row});
    m_list->scrollToItem(item);
}

QStringList ChatDialog::rows() const
{
    QStringList texts;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        texts.append(m_list->topLevelItem(i)->text(0));
    return texts;
}

ChatWindowView::ChatWindowView(ChatDialog *dialog) : m_form(dialog)
{
    connect(&m_form, &DialogView::action, this, &DialogView::action);
}

ChatWindowView::~ChatWindowView() = default;

void ChatWindowView::appendRow(QString row)
{
    if (auto *dialog = qobject_cast<ChatDialog *>(m_form.dialog()); dialog && isOpen())
        dialog->appendRow(row);
}

std::unique_ptr<ChatView> openChatWindow(ChatDialog *dialog, ChatFields &fields)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFields(fields);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return std::make_unique<ChatWindowView>(dialog);
}

} // namespace quibo
