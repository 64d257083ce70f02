#include "history/widgets/CHistoryDlg.h"

#include "ui_CHistoryDlg.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextDocument>

namespace quibo {

namespace {
enum Column { TimeColumn, WithColumn, WhatColumn };

// Paints the "What" column from its HTML, so the matched words stand out.
class MarkedTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text.clear();
        const QWidget *view = option.widget;
        QStyle *style = view ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, view);
        QTextDocument document;
        document.setDefaultFont(item.font);
        document.setDocumentMargin(0);
        document.setHtml(index.data(MarkedTextRole).toString());
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        painter->save();
        painter->translate(area.left(), area.top() + (area.height() - document.size().height()) / 2);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = item.palette;
        context.palette.setColor(QPalette::Text, item.palette.color(option.state & QStyle::State_Selected
                                                                        ? QPalette::HighlightedText
                                                                        : QPalette::Text));
        context.clip = QRectF(0, 0, area.width(), area.height());
        painter->setClipRect(context.clip);
        document.documentLayout()->draw(painter, context);
        painter->restore();
    }
};

QTreeWidgetItem *itemOf(const HistoryRow &row)
{
    auto *item = new QTreeWidgetItem({QLocale().toString(row.time.toLocalTime(), QLocale::ShortFormat), row.with,
                                      row.text});
    item->setData(WhatColumn, MarkedTextRole, markedHtml(row.text, row.marks));
    return item;
}

QList<QTreeWidgetItem *> itemsOf(const QList<HistoryRow> &rows)
{
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const HistoryRow &row : rows)
        items.append(itemOf(row));
    return items;
}
} // namespace

QString markedHtml(const QString &text, const QList<TextSpan> &marks)
{
    QString html;
    qsizetype at = 0;
    for (const TextSpan &mark : marks) {
        if (mark.start < at || mark.start + mark.length > text.size())
            continue;
        html += text.mid(at, mark.start - at).toHtmlEscaped() +
                QStringLiteral("<b style=\"background-color:#ffff66\">") +
                text.mid(mark.start, mark.length).toHtmlEscaped() + QStringLiteral("</b>");
        at = mark.start + mark.length;
    }
    return html + text.mid(at).toHtmlEscaped();
}

CHistoryDlg::CHistoryDlg(QWidget *parent) : QuiboDialog(parent), m_ui(std::make_unique<Ui::CHistoryDlg>())
{
    m_ui->setupUi(this);
    m_ui->rows->setItemDelegateForColumn(WhatColumn, new MarkedTextDelegate(m_ui->rows));
    connect(m_ui->searchEdit, &QLineEdit::textChanged, this, &CHistoryDlg::searchEdited);
    connect(m_ui->earlierButton, &QPushButton::clicked, this, &CHistoryDlg::earlierWanted);
    connect(m_ui->keepBox, &QCheckBox::clicked, this, &CHistoryDlg::keepingToggled);
    connect(m_ui->clearButton, &QPushButton::clicked, this, &CHistoryDlg::askToClear);
    connect(m_ui->confirmYesButton, &QPushButton::clicked, this, [this] { answerClear(true); });
    connect(m_ui->confirmNoButton, &QPushButton::clicked, this, [this] { answerClear(false); });
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

CHistoryDlg::~CHistoryDlg() = default;

void CHistoryDlg::setHeading(const QString &heading)
{
    m_ui->heading->setText(heading);
    answerClear(false);
}

void CHistoryDlg::setKeeping(bool keeping)
{
    m_ui->keepBox->setChecked(keeping);
}

void CHistoryDlg::showRows(const QList<HistoryRow> &rows, bool hasEarlier)
{
    m_ui->rows->clear();
    m_ui->rows->addTopLevelItems(itemsOf(rows));
    fitColumns();
    m_ui->rows->scrollToBottom();
    m_ui->earlierButton->setEnabled(hasEarlier);
}

void CHistoryDlg::addEarlierRows(const QList<HistoryRow> &rows, bool hasEarlier)
{
    QTreeWidgetItem *first = m_ui->rows->topLevelItem(0);
    m_ui->rows->insertTopLevelItems(0, itemsOf(rows));
    fitColumns();
    if (first)
        m_ui->rows->scrollToItem(first, QAbstractItemView::PositionAtTop);
    m_ui->earlierButton->setEnabled(hasEarlier);
}

void CHistoryDlg::appendRow(const HistoryRow &row)
{
    m_ui->rows->addTopLevelItem(itemOf(row));
    m_ui->rows->scrollToBottom();
}

void CHistoryDlg::fitColumns()
{
    m_ui->rows->resizeColumnToContents(TimeColumn);
    m_ui->rows->resizeColumnToContents(WithColumn);
}

QTreeWidget *CHistoryDlg::rows() const
{
    return m_ui->rows;
}

QLineEdit *CHistoryDlg::searchEdit() const
{
    return m_ui->searchEdit;
}

QString CHistoryDlg::heading() const
{
    return m_ui->heading->text();
}

void CHistoryDlg::askToClear()
{
    QString what = m_ui->heading->text();
    if (!what.isEmpty())
        what[0] = what[0].toLower();
    m_ui->confirmLabel->setText(QStringLiteral("Delete %1 for good?").arg(what));
    m_ui->confirmFrame->show();
    m_ui->clearButton->setEnabled(false);
    m_ui->confirmNoButton->setFocus();
}

void CHistoryDlg::answerClear(bool yes)
{
    m_ui->confirmFrame->hide();
    m_ui->clearButton->setEnabled(true);
    if (yes)
        Q_EMIT clearConfirmed();
}

} // namespace quibo
