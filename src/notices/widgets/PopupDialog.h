#pragma once

#include "widgetkit/QuiboDialog.h"

class QLabel;

namespace quibo {

// A picture popup that exists for the whole run and is reused for every showing. Each
// showing has its own token, so whoever opened an earlier showing cannot touch a later one.
class PopupDialog : public QuiboDialog {
    Q_OBJECT
public:
    using Showing = quint64;

    ~PopupDialog() override;

    // Shows the popup afresh, ending a showing still open, and returns the new showing.
    Showing beginShowing(DialogOwner owner, QWidget *mainWindow);
    [[nodiscard]] bool isShowing(Showing showing) const { return m_open && showing == m_showing; }
    // Closes the popup if it is still in that showing.
    void endShowing(Showing showing);

    void showPicture(int pictureId);
    [[nodiscard]] int currentPicture() const { return m_pictureId; }

Q_SIGNALS:
    void showingEnded(quint64 showing);
    void pictureShown(int pictureId);

protected:
    explicit PopupDialog(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    // The picture control; its fixed size is the size pictures are drawn at.
    void setPictureLabel(QLabel *label) { m_picture = label; }
    void hideEvent(QHideEvent *event) override;

private:
    void finishShowing();

    QLabel *m_picture = nullptr;
    Showing m_showing = 0;
    bool m_open = false;
    int m_pictureId = 0;
};

} // namespace quibo
