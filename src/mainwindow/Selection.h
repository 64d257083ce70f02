#pragma once

namespace quibo {

// What the user last chose in the main window's list. Only the main window writes it.
struct Selection {
    int selectedContact = 0; // the contact table index of the item last clicked
    int clickedItem = 0;     // the list position of the last click or right-click, -1 for none
};

} // namespace quibo
