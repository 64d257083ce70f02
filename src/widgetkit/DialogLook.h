#pragma once

class QApplication;

namespace quibo {

// Light grey dialogs with black text, the same in every window of the program.
void applyDialogLook(QApplication &app);

} // namespace quibo
