// Rewrites "contacts.dat", "userinfo.dat" and "settings" in the folder given, version after
// version, until killed; says "ready" once the first version is written.
#include "FileVersions.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const quibo::WorkingDirectory dir(QDir(QString::fromLocal8Bit(argv[1])), {});
    for (int n = 0;; ++n) {
        if (!quibo::test::FileVersions::write(dir, n))
            return 1;
        if (n == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
