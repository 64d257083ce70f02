#include "transfer/widgets/TransferDialogs.h"

#include "ui_CReceiveFileDlg.h"
#include "ui_CReceivingFileDlg.h"
#include "ui_CSendFileDlg.h"

#include <QCloseEvent>

namespace quibo {

CSendFileDlg::CSendFileDlg(QWidget *parent) : QuiboDialog(parent), m_ui(std::make_unique<Ui::CSendFileDlg>())
{
    m_ui->setupUi(this);
    setFocusStepsOnShow(1);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CSendFileDlg::~CSendFileDlg() = default;

void CSendFileDlg::setNotice(const QString &text)
{
    m_ui->notice->setText(text);
}

QString CSendFileDlg::notice() const
{
    return m_ui->notice->text();
}

QPushButton *CSendFileDlg::okButton() const
{
    return m_ui->okButton;
}

CReceiveFileDlg::CReceiveFileDlg(QWidget *parent)
    : QuiboDialog(parent), m_ui(std::make_unique<Ui::CReceiveFileDlg>())
{
    m_ui->setupUi(this);
    setFocusStepsOnShow(2);
    connect(m_ui->yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->noButton, &QPushButton::clicked, this, &QDialog::reject);
}

CReceiveFileDlg::~CReceiveFileDlg() = default;

void CReceiveFileDlg::setTexts(const QString &from, const QString &fileName, const QString &sizeText)
{
    m_ui->sender->setText(from);
    m_ui->fileName->setText(fileName);
    m_ui->size->setText(sizeText);
}

QLabel *CReceiveFileDlg::sizeLabel() const
{
    return m_ui->size;
}

QPushButton *CReceiveFileDlg::yesButton() const
{
    return m_ui->yesButton;
}

QPushButton *CReceiveFileDlg::noButton() const
{
    return m_ui->noButton;
}

CReceivingFileDlg::CReceivingFileDlg(QWidget *parent)
    : QuiboDialog(parent), m_ui(std::make_unique<Ui::CReceivingFileDlg>())
{
    m_ui->setupUi(this);
    setFocusStepsOnShow(1);
    m_ui->progress->setRange(0, BarSteps);
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CReceivingFileDlg::~CReceivingFileDlg() = default;

void CReceivingFileDlg::reset()
{
    m_finished = false;
    setRetrying(0);
    m_ui->okButton->setText(QStringLiteral("OK"));
    m_ui->okButton->setEnabled(false);
    m_ui->fileName->clear();
    m_ui->received->clear();
    m_ui->total->clear();
    m_ui->progress->setValue(0);
}

void CReceivingFileDlg::setFile(const QString &fileName, const QString &totalText)
{
    m_ui->fileName->setText(fileName);
    m_ui->total->setText(totalText);
}

void CReceivingFileDlg::setProgress(qint64 received, qint64 total)
{
    m_ui->received->setText(QString::number(received));
    // Per mille of the total, so files of any size (and under one block) move the bar.
    const qint64 steps = total <= 0 ? BarSteps : std::min<qint64>(BarSteps, received * BarSteps / total);
    m_ui->progress->setValue(static_cast<int>(steps));
}

void CReceivingFileDlg::setRetrying(int attempt)
{
    if (attempt <= 0) {
        setWindowTitle(QStringLiteral("Quibo32 - Receiving File "));
        m_ui->fromCaption->setText(QStringLiteral("Receiving File From Contact"));
        return;
    }
    setWindowTitle(QStringLiteral("Quibo32 - Receiving File - Retrying"));
    m_ui->fromCaption->setText(QStringLiteral("Connection Lost - Retrying (%1)").arg(attempt));
}

void CReceivingFileDlg::finish()
{
    m_finished = true;
    m_ui->progress->setValue(BarSteps);
    setWindowTitle(QStringLiteral("Quibo32 - Receive File - DONE!"));
    m_ui->okButton->setText(QStringLiteral("DONE!"));
    m_ui->okButton->setEnabled(true);
}

QProgressBar *CReceivingFileDlg::progressBar() const
{
    return m_ui->progress;
}

QString CReceivingFileDlg::receivedText() const
{
    return m_ui->received->text();
}

QPushButton *CReceivingFileDlg::okButton() const
{
    return m_ui->okButton;
}

void CReceivingFileDlg::reject()
{
    if (m_finished)
        QuiboDialog::reject();
}

void CReceivingFileDlg::closeEvent(QCloseEvent *event)
{
    if (!m_finished) {
        event->ignore();
        return;
    }
    QuiboDialog::closeEvent(event);
}

} // namespace quibo
