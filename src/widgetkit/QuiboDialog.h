#pragma once

#include "ports/DialogOwner.h"

#include <QCoro/QCoroTask>
#include <QDialog>

namespace quibo {

// A dialog of the program. Some dialogs move the keyboard focus forward when they appear,
// after the default focus handling.
class QuiboDialog : public QDialog {
    Q_OBJECT
public:
    explicit QuiboDialog(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // Restores, raises and activates the dialog: the user asked for it from outside.
    void bringForward();

protected:
    void setFocusStepsOnShow(int steps) { m_focusSteps = steps; }
    void showEvent(QShowEvent *event) override;

private:
    int m_focusSteps = 0;
};

// Makes `dialog` a window-modal child of `mainWindow` (DialogOwner::MainWindow) or an
// independent, non-modal window (DialogOwner::Desktop). Call it while the dialog is hidden.
void placeDialog(QDialog &dialog, DialogOwner owner, QWidget *mainWindow);

// Completes when `dialog` has finished or been destroyed. The wait belongs to `context`:
// it never resumes once `context` is gone.
QCoro::Task<> untilClosed(QObject *context, QDialog *dialog);

} // namespace quibo
