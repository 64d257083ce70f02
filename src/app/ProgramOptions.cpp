#include "app/ProgramOptions.h"

using namespace Qt::StringLiterals;

namespace quibo {

ProgramOptions parseProgramOptions(const QStringList &arguments)
{
    ProgramOptions options;
    for (const QString &argument : arguments) {
        if (argument == u"--help"_s || argument == u"-h"_s)
            return {ProgramOptions::Action::Help, {}, false, {}};
        if (argument == u"--version"_s)
            return {ProgramOptions::Action::Version, {}, false, {}};
    }
    const auto failure = [](const QString &message) {
        return ProgramOptions{ProgramOptions::Action::Error, {}, false, message};
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        if (name == u"--connect"_s) {
            options.connect = true;
            continue;
        }
        QString value;
        if (const qsizetype eq = name.indexOf(u'='); name.startsWith(u"--"_s) && eq > 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        } else if (name == u"--folder"_s) {
            if (i + 1 >= arguments.size())
                return failure(u"--folder needs a folder"_s);
            value = arguments.at(++i);
        }
        if (name != u"--folder"_s)
            return failure(name.startsWith(u'-') ? u"unknown option %1"_s.arg(name)
                                                 : u"unexpected argument \"%1\""_s.arg(name));
        if (value.isEmpty())
            return failure(u"--folder needs a folder"_s);
        options.folder = value;
    }
    return options;
}

QString programHelpText()
{
    return uR"(Usage: quibo32 [--folder DIR] [--connect]

Quibo32, a peer-to-peer messenger: messages, smileys, sounds, chat channels, private
chats and files, straight from friend to friend.

  --folder DIR   keep the working files (handle, contacts, pages, received files)
                 in DIR; it is created and filled with the installed files if missing
  --connect      connect at once, as if Connect were pressed
  --version      show the version
  -h, --help     show this text

Without --folder, the current folder is used when it already holds a working set
(contacts.dat or userinfo.dat), else $XDG_DATA_HOME/quibo32 (~/.local/share/quibo32),
filled from the installed files on first start.

QUIBO_DIRECTORY=HOST[:PORT] chooses the directory server.
QUIBO_ADDRESS=A.B.C.D listens on that address only and publishes it, and
QUIBO_PORTS=PEER,CHANNEL,PRIVATE,WEB moves the four ports, so that several
clients can run on one machine.
)"_s;
}

QString programVersionText(const QString &program)
{
    return u"%1 %2\n"_s.arg(program, QStringLiteral(QUIBO_VERSION));
}

} // namespace quibo
