#pragma once

namespace quibo {

// The message dialogs' flags. Only messaging writes them.
struct MessagingState {
    bool replyPending = false;   // a reply to a received message is being written
    bool sendDialogOpen = false; // the send dialog is open from the main window
};

} // namespace quibo
