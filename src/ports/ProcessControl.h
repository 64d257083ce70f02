#pragma once

namespace quibo {

// Ending the program. Every ending exits with code 0.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    virtual void exitProcess(int code) = 0;
};

} // namespace quibo
