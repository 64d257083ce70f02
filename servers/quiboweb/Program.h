#pragma once

namespace quibo::web {

// The whole program: parses the command line, then serves with or without a window until a
// close request (or the window's close) ends it.
int runWebServer(int argc, char **argv);

} // namespace quibo::web
