#include "channel/widgets/ChatDialogs.h"

#include "resources/ResourceCatalogue.h"
#include "widgetkit/Pictures.h"

#include "ui_CChatChannelDlg.h"
#include "ui_CPrivateChatDlg.h"
#include "ui_CPrivateChatRequestDlg.h"

namespace quibo {

namespace {
void showIcon(QLabel *label)
{
    label->setPixmap(pictures::pixmap(res::ChannelIcon, label->minimumSize(), label->devicePixelRatioF()));
}
} // namespace

CChatChannelDlg::CChatChannelDlg(QWidget *parent)
    : ChatDialog(parent), m_ui(std::make_unique<Ui::CChatChannelDlg>())
{
    m_ui->setupUi(this);
    showIcon(m_ui->icon);
    wire(m_ui->messages, m_ui->message, m_ui->closeButton);
}

CChatChannelDlg::~CChatChannelDlg() = default;

void CChatChannelDlg::setHostLabel(const QString &host)
{
    m_ui->hostLabel->setText(host);
}

QString CChatChannelDlg::hostLabel() const
{
    return m_ui->hostLabel->text();
}

CPrivateChatDlg::CPrivateChatDlg(QWidget *parent)
    : ChatDialog(parent), m_ui(std::make_unique<Ui::CPrivateChatDlg>())
{
    m_ui->setupUi(this);
    showIcon(m_ui->icon);
    wire(m_ui->messages, m_ui->message, m_ui->closeButton);
}

CPrivateChatDlg::~CPrivateChatDlg() = default;

void CPrivateChatDlg::setLabels(const PrivateChatLabels &labels)
{
    m_ui->partnerLabel->setText(labels.partner);
    m_ui->ownLabel->setText(labels.own);
    if (labels.initiator)
        appendRow(QStringLiteral("Please Wait For Contact To Join ..."));
}

QString CPrivateChatDlg::header() const
{
    return m_ui->partnerLabel->text() + m_ui->between->text() + m_ui->ownLabel->text();
}

CPrivateChatRequestDlg::CPrivateChatRequestDlg(QWidget *parent)
    : QuiboDialog(parent), m_ui(std::make_unique<Ui::CPrivateChatRequestDlg>())
{
    m_ui->setupUi(this);
    setFocusStepsOnShow(2);
    connect(m_ui->yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->noButton, &QPushButton::clicked, this, &QDialog::reject);
}

CPrivateChatRequestDlg::~CPrivateChatRequestDlg() = default;

void CPrivateChatRequestDlg::setRequester(const QString &handle)
{
    m_ui->requester->setText(handle);
}

QStringList CPrivateChatRequestDlg::lines() const
{
    return {m_ui->requester->text(), m_ui->wants->text(), m_ui->question->text()};
}

} // namespace quibo
