#include "Program.h"

#include <csignal>

int main(int argc, char **argv)
{
    // A peer that hangs up mid-download must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    return quibo::web::runWebServer(argc, argv);
}
