#include "ScriptedUi.h"

#include "base/Wakeup.h"

namespace quibo::test {

void PopupRecord::pressOk()
{
    if (view)
        view->close();
}

ScriptedPictureView::ScriptedPictureView(std::shared_ptr<PopupRecord> record) : m_record(std::move(record))
{
    m_record->view = this;
    m_clock.start();
}

void ScriptedPictureView::showPicture(int pictureId)
{
    m_record->pictures.append(pictureId);
    m_record->shownAtMs.append(m_clock.elapsed());
}

void ScriptedPictureView::close()
{
    if (!m_record->open)
        return;
    m_record->open = false;
    Q_EMIT closed();
}

void ScriptedConnectView::clickConnect()
{
    if (connectEnabled)
        Q_EMIT connectClicked();
}

void ScriptedConnectView::restoreFromTaskBar()
{
    minimized = false;
    Q_EMIT restored();
}

void ScriptedConnectView::closeBox()
{
    Q_EMIT closed();
}

void ScriptedMainWindow::insertContactItem(int position, const QString &displayHandle)
{
    items.insert(position, displayHandle);
}

void ScriptedMainWindow::removeContactItem(int position)
{
    items.removeAt(position);
}

void ScriptedMainWindow::pressEsc()
{
    dismiss();
    Q_EMIT dismissed();
}

QString ownerName(DialogOwner owner)
{
    return owner == DialogOwner::MainWindow ? QStringLiteral("main") : QStringLiteral("desktop");
}

QCoro::Task<> ScriptedUi::dialog(QString line)
{
    log.append(line);
    if (m_hold)
        co_await nextSignal(this, &ScriptedUi::released);
}

QCoro::Task<> ScriptedUi::showSystemMessage(DialogOwner owner, QString line1, QString line2)
{
    Q_UNUSED(owner);
    co_await dialog(QStringLiteral("message|%1|%2").arg(line1, line2));
}

std::unique_ptr<PictureView> ScriptedUi::openPopup(QString name)
{
    auto record = std::make_shared<PopupRecord>();
    record->name = std::move(name);
    popups.append(record);
    return std::make_unique<ScriptedPictureView>(record);
}

std::unique_ptr<PictureView> ScriptedUi::openSmiley(Smiley smiley, QString fromName)
{
    const QString name = smileyLook(smiley).name;
    log.append(QStringLiteral("smiley|%1|%2").arg(name, fromName));
    return openPopup(name);
}

std::unique_ptr<PictureView> ScriptedUi::openSending(DialogOwner owner)
{
    log.append(QStringLiteral("sending|%1").arg(ownerName(owner)));
    return openPopup(QStringLiteral("Sending"));
}

QCoro::Task<> ScriptedUi::showHint(DialogOwner owner)
{
    co_await dialog(QStringLiteral("hint|%1").arg(ownerName(owner)));
}

QCoro::Task<> ScriptedUi::showAbout(DialogOwner owner)
{
    co_await dialog(QStringLiteral("about|%1").arg(ownerName(owner)));
}

std::unique_ptr<ConnectView> ScriptedUi::openConnectDialog()
{
    log.append(QStringLiteral("connect-dialog"));
    auto view = std::make_unique<ScriptedConnectView>();
    connectView = view.get();
    return view;
}

} // namespace quibo::test
