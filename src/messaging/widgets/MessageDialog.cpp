#include "messaging/widgets/MessageDialog.h"

#include <QHideEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace quibo {

MessageDialog::MessageDialog(QWidget *parent) : QuiboDialog(parent)
{
    setFocusStepsOnShow(2);
}

MessageDialog::Showing MessageDialog::beginShowing(DialogOwner owner, QWidget *mainWindow)
{
    if (m_open)
        endShowing(m_showing);
    ++m_showing;
    placeDialog(*this, owner, mainWindow);
    if (m_firstControl)
        m_firstControl->setFocus(); // as a freshly created dialog would start
    m_open = true;
    show();
    raise();
    activateWindow();
    return m_showing;
}

void MessageDialog::endShowing(Showing showing)
{
    if (!isShowing(showing))
        return;
    hide(); // hideEvent ends the showing
}

void MessageDialog::reportClicks(QPushButton *button, int controlId)
{
    connect(button, &QPushButton::clicked, this, [this, controlId] {
        if (m_open)
            Q_EMIT buttonPressed(controlId);
    });
}

void MessageDialog::reject()
{
    if (m_open)
        Q_EMIT buttonPressed(m_cancelControl);
}

void MessageDialog::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QuiboDialog::keyPressEvent(event);
        return;
    }
    // Enter presses the focused button; anywhere else it goes to the hidden default button,
    // which does nothing. Qt's default-button tracking depends on the order focus and
    // activation arrive in, so it is not left to decide.
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if (button && button->isVisible() && button->isEnabled())
        button->click();
}

void MessageDialog::hideEvent(QHideEvent *event)
{
    QuiboDialog::hideEvent(event);
    if (!m_open || event->spontaneous() || isVisible())
        return;
    m_open = false;
    unbind();
    Q_EMIT showingEnded(m_showing);
}

} // namespace quibo
