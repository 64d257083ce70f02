#pragma once

#include <QString>

namespace quibo {

// A smiley's popup as the user sees it: the dialog it is shown in, and the smiley's name as
// the menu gives it.
struct SmileyLook {
    int dialogId = 0;
    QString name;
};

} // namespace quibo
