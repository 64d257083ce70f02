// Rewrites the working files in the folder given, version after version, until killed; says
// "ready" once the first version is whole.
#include "FileVersions.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const quibo::WorkingDirectory dir(QDir(QString::fromLocal8Bit(argc == 2 ? argv[1] : ".")));
    for (int n = 0; quibo::test::writeFileVersions(dir, n % 100000); ++n) {
        if (n == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
    return 1;
}
