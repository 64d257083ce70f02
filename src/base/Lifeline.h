#pragma once

namespace quibo {

// How the client hands a program it starts (the local web server) a lifeline: this
// environment variable names an inherited file descriptor, the read end of a pipe whose only
// write end the client holds. End of file there means the client has ended, however it ended.
inline constexpr char LifelineVariable[] = "QUIBO_LIFELINE_FD";

// The same way, the client hands the local web server its TLS certificate and key (PEM): this
// variable names the read end of a pipe that holds them, written whole and closed before the
// program starts. Never a file or an argument, which other users could read.
inline constexpr char TlsIdentityVariable[] = "QUIBO_TLS_IDENTITY_FD";

} // namespace quibo
