#pragma once

#include "notices/widgets/PopupDialog.h"
#include "ports/NoticeUi.h"

#include <QPointer>

namespace quibo {

// One showing of a reused popup, as the behaviour drives it. Either side may go first:
// a destroyed popup reads as closed, and a view destroyed while its showing is still open
// closes the popup, since nobody would animate or close it otherwise.
class PopupPictureView : public PictureView {
    Q_OBJECT
public:
    PopupPictureView(PopupDialog &popup, PopupDialog::Showing showing);
    ~PopupPictureView() override;

    void showPicture(int pictureId) override;
    void close() override;
    [[nodiscard]] bool isOpen() const override;

private:
    QPointer<PopupDialog> m_popup;
    PopupDialog::Showing m_showing;
};

} // namespace quibo
