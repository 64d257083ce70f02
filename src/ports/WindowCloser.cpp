#include "ports/WindowCloser.h"

namespace quibo {

WindowCloser::~WindowCloser() = default;

} // namespace quibo
