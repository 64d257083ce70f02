#pragma once

#include "ports/RegistrationUi.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

namespace quibo::test {

class ScriptedFormView;

// The registration or change-info dialog as the scripted user saw it. It outlives the dialog.
struct FormDialogRecord {
    QString kind; // "registration" or "change-info"
    bool open = true;
    bool buttonsEnabled = true;
    int enableCount = 0; // times the behaviour turned the buttons back on
    QPointer<ScriptedFormView> view;
    RegistrationFields *registration = nullptr;
    ChangeInfoFields *change = nullptr;
    ChangeInfoFields shownChange; // the change-info fields as the dialog opened

    // The user's hands: a click, delivered from the event loop (ignored once closed or while
    // the buttons are off), and the close box.
    void press(int controlId);
    void closeBox();
};

class ScriptedFormView : public DialogView {
    Q_OBJECT
public:
    explicit ScriptedFormView(std::shared_ptr<FormDialogRecord> record);
    ~ScriptedFormView() override;

    void close() override;
    [[nodiscard]] bool isOpen() const override { return m_record->open; }
    void refresh() override {}
    void setButtonsEnabled(bool enabled) override;

private:
    std::shared_ptr<FormDialogRecord> m_record;
};

// The user's eyes and hands for the registration, handle-in-use and change-info dialogs.
// Dialogs stay open until the test presses their buttons; the handle-in-use box is closed at once.
class ScriptedRegistration : public QObject, public RegistrationUi {
    Q_OBJECT
public:
    std::unique_ptr<DialogView> openRegistration(RegistrationFields &fields) override;
    QCoro::Task<> showHandleInUse() override;
    std::unique_ptr<DialogView> openChangeInfo(ChangeInfoFields &fields) override;

    // "registration", "handle-in-use", "change-info".
    QStringList log;
    QList<std::shared_ptr<FormDialogRecord>> dialogs;
    [[nodiscard]] std::shared_ptr<FormDialogRecord> last() const;

private:
    std::unique_ptr<DialogView> open(std::shared_ptr<FormDialogRecord> record);
};

} // namespace quibo::test
