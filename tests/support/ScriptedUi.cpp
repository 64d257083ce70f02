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

QCoro::Task<> ScriptedUi::dialog(QString line)
{
    log.append(line);
    if (m_hold)
        co_await nextSignal(this, &ScriptedUi::released);
}

QCoro::Task<bool> ScriptedUi::askNewKey(DialogOwner, QString handle, QString accepted, QString shown)
{
    co_await dialog(QStringLiteral("new-key|%1|%2|%3").arg(handle, accepted, shown));
    co_return acceptNewKey;
}

std::unique_ptr<PictureView> ScriptedUi::openPopup(QString name)
{
    auto record = std::make_shared<PopupRecord>();
    record->name = std::move(name);
    popups.append(record);
    return std::make_unique<ScriptedPictureView>(record);
}

std::unique_ptr<PictureView> ScriptedUi::openSmiley(SmileyLook look, QString fromName)
{
    log.append(QStringLiteral("smiley|%1|%2").arg(look.name, fromName));
    return openPopup(look.name);
}

std::unique_ptr<PictureView> ScriptedUi::openSending(DialogOwner owner)
{
    log.append(QStringLiteral("sending|%1").arg(ownerName(owner)));
    return openPopup(QStringLiteral("Sending"));
}

std::unique_ptr<ConnectView> ScriptedUi::openConnectDialog()
{
    log.append(QStringLiteral("connect-dialog"));
    auto view = std::make_unique<ScriptedConnectView>();
    connectView = view.get();
    return view;
}

} // namespace quibo::test
