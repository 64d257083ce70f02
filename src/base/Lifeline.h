#pragma once

namespace quibo {

// How the client hands a program it starts (the local web server) a lifeline: this
// environment variable names an inherited file descriptor, the read end of a pipe whose only
// write end the client holds. End of file there means the client has ended, however it ended.
inline constexpr char LifelineVariable[] = "QUIBO_LIFELINE_FD";

} // namespace quibo
