#pragma once

#include "ports/ProcessControl.h"

namespace quibo {

// Ends the event loop, after the caller has returned.
class QtProcessControl : public ProcessControl {
public:
    void exitProcess(int code) override;
};

} // namespace quibo
