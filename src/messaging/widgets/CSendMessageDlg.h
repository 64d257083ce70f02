#pragma once

#include "messaging/widgets/MessageDialog.h"
#include "ports/MessageUi.h"

#include <memory>

class QPlainTextEdit;

namespace Ui {
class CSendMessageDlg;
}

namespace quibo {

// "Quibo32 - Send Message": the addressee, the message edit (at most 512 bytes as sent, lines
// ending in CR LF), "&Send" and "&Cancel". Every edit copies the screen into the fields at once.
class CSendMessageDlg : public MessageDialog {
    Q_OBJECT
public:
    static constexpr int MaxMessageBytes = 512;

    explicit CSendMessageDlg(QWidget *parent = nullptr);
    ~CSendMessageDlg() override;

    // The fields this showing works on; they must outlive the showing.
    void bind(SendMessageFields &fields);
    void showFields() override;
    void setButtonsEnabled(bool enabled) override;

    [[nodiscard]] QPlainTextEdit *messageEdit() const;
    [[nodiscard]] QString shownTo() const;

    // The message as sent (CR LF line ends) and as edited (LF).
    static QString toWire(const QString &edited);
    static QString toScreen(const QString &wire);

protected:
    void unbind() override { m_fields = nullptr; }

private:
    void keepWithinLimit(int position, int charsAdded);
    void copyScreenToFields();

    std::unique_ptr<Ui::CSendMessageDlg> m_ui;
    SendMessageFields *m_fields = nullptr;
    bool m_showing = false; // set while fields are put on screen, so that is no edit
};

} // namespace quibo
