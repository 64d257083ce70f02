#pragma once

namespace quibo {

// Which window a dialog belongs to. Dialogs that the main window's commands wait for are
// window-modal to it; the listener's and other tasks' dialogs are independent windows.
enum class DialogOwner { Desktop, MainWindow };

} // namespace quibo
