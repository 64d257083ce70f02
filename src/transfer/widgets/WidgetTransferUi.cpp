#include "transfer/widgets/WidgetTransferUi.h"

#include <QFileDialog>
#include <QMessageBox>

namespace quibo {

WidgetReceivingView::WidgetReceivingView(CReceivingFileDlg &dialog) : m_dialog(&dialog)
{
    connect(&dialog, &QDialog::finished, this, &ReceivingView::closed);
}

void WidgetReceivingView::setFile(QString fileName, QString totalText)
{
    if (m_dialog)
        m_dialog->setFile(fileName, totalText);
}

void WidgetReceivingView::setProgress(qint64 received, qint64 total)
{
    if (m_dialog)
        m_dialog->setProgress(received, total);
}

void WidgetReceivingView::setRetrying(int attempt)
{
    if (m_dialog)
        m_dialog->setRetrying(attempt);
}

void WidgetReceivingView::finish()
{
    if (m_dialog)
        m_dialog->finish();
}

WidgetTransferUi::WidgetTransferUi(QWidget *mainWindow)
    : m_mainWindow(mainWindow), m_send(new CSendFileDlg), m_receive(new CReceiveFileDlg),
      m_receiving(new CReceivingFileDlg)
{
}

WidgetTransferUi::~WidgetTransferUi()
{
    // The send dialog may belong to the main window by now; delete whichever still exist.
    for (const QPointer<QFileDialog> &chooser : std::as_const(m_choosers))
        delete chooser.data();
    delete m_send.data();
    delete m_receive.data();
    delete m_receiving.data();
}

QCoro::Task<std::optional<QString>> WidgetTransferUi::chooseFileToSend(DialogOwner owner)
{
    auto *dialog = new QFileDialog(nullptr, QStringLiteral("Select File To Send"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    co_return co_await choose(dialog, owner);
}

QCoro::Task<std::optional<QString>> WidgetTransferUi::chooseSaveFile(QString suggestedName)
{
    auto *dialog = new QFileDialog(nullptr, QStringLiteral("Quibo32 - Save File As"));
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptSave); // asks before replacing a file
    dialog->selectFile(suggestedName);
    co_return co_await choose(dialog, DialogOwner::Desktop);
}

QCoro::Task<std::optional<QString>> WidgetTransferUi::choose(QFileDialog *dialog, DialogOwner owner)
{
    m_choosers.removeAll(nullptr);
    m_choosers.append(dialog);
    const QPointer<QFileDialog> chooser(dialog);
    dialog->setNameFilter(QStringLiteral("All Files (*)"));
    dialog->setOption(QFileDialog::ReadOnly, false);
    const bool accepted = co_await showUntilClosed(*dialog, owner);
    std::optional<QString> chosen;
    if (accepted && chooser && !chooser->selectedFiles().isEmpty())
        chosen = chooser->selectedFiles().constFirst();
    if (chooser)
        chooser->deleteLater();
    co_return chosen;
}

QCoro::Task<> WidgetTransferUi::showFileBeingSent(DialogOwner owner, QString notice)
{
    if (!m_send)
        m_send = new CSendFileDlg;
    m_send->setNotice(notice);
    co_await showUntilClosed(*m_send, owner);
}

QCoro::Task<bool> WidgetTransferUi::askReceiveFile(QString from, QString fileName, QString sizeText)
{
    m_receive->setTexts(from, fileName, sizeText);
    co_return co_await showUntilClosed(*m_receive, DialogOwner::Desktop);
}

QCoro::Task<bool> WidgetTransferUi::askResumeFile(QString fileName, QString partPath, QString heldText,
                                                  QString sizeText)
{
    // Made for each question: it is rare, and nothing of it outlives the answer.
    QPointer<QMessageBox> box = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Quibo32 Resume File"),
        QStringLiteral("Part Of %1 Was Received Before\n%2 Of %3 Bytes Are In %4\n\nResume It?")
            .arg(fileName, heldText, sizeText, partPath),
        QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::Yes);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    placeDialog(*box, DialogOwner::Desktop, m_mainWindow);
    box->open();
    box->raise();
    box->activateWindow();
    co_await untilClosed(this, box.data());
    const bool yes = box && box->clickedButton() == box->button(QMessageBox::Yes);
    if (box)
        box->deleteLater();
    co_return yes;
}

std::unique_ptr<ReceivingView> WidgetTransferUi::openReceivingFile()
{
    m_receiving->reset();
    placeDialog(*m_receiving, DialogOwner::Desktop, m_mainWindow);
    m_receiving->show();
    return std::make_unique<WidgetReceivingView>(*m_receiving);
}

QCoro::Task<bool> WidgetTransferUi::showUntilClosed(QDialog &dialog, DialogOwner owner)
{
    QPointer<QDialog> shown(&dialog);
    placeDialog(dialog, owner, m_mainWindow);
    dialog.open();
    // A new question takes the keyboard, so that its answer or a file name goes to it.
    dialog.raise();
    dialog.activateWindow();
    co_await untilClosed(this, &dialog);
    co_return shown && shown->result() == QDialog::Accepted;
}

} // namespace quibo
