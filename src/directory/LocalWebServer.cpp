#include "directory/LocalWebServer.h"

#include "base/Config.h"
#include "base/WindowKey.h"
#include "base/WorkingDirectory.h"
#include "directory/WorkingFiles.h"
#include "keys/UserKey.h"
#include "ports/Shell.h"
#include "ports/WindowCloser.h"

namespace quibo {

LocalWebServer::LocalWebServer(const Config &config, const WorkingDirectory &dir, Shell &shell,
                               WindowCloser &closer)
    : m_config(config), m_dir(dir), m_shell(shell), m_closer(closer)
{
}

void LocalWebServer::start()
{
    const QString program = m_dir.findInstalled(QStringLiteral("quiboweb"));
    if (program.isEmpty()) {
        qWarning("quibo32: quiboweb was not found; your pages and offered files are not served");
        return;
    }
    m_shell.startProgram(program, arguments(m_config), m_dir.path(), tlsIdentity(m_dir));
}

void LocalWebServer::close()
{
    m_closer.closeWindowTitled(WebServerWindowTitle);
}

QByteArray LocalWebServer::tlsIdentity(const WorkingDirectory &dir)
{
    const std::optional<UserKey> key =
        loadOrMakeUserKey(dir.file(working_files::UserKeyFile), dir.file(working_files::UserCertificateFile));
    return key ? key->certificate.toPem() + key->privateKey.toPem() : QByteArray();
}

QStringList LocalWebServer::arguments(const Config &config)
{
    if (config.listenAddress == QHostAddress(QHostAddress::Any) && config.webPort == 80)
        return {};
    const QString host = config.listenAddress.toString();
    const QString bracketed = host.contains(u':') ? u'[' + host + u']' : host;
    return {QStringLiteral("--listen"), QStringLiteral("%1:%2").arg(bracketed).arg(config.webPort)};
}

} // namespace quibo
