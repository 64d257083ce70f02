#include "directory/ContactPages.h"

#include "base/WorkingDirectory.h"
#include "ports/Shell.h"

namespace quibo {

ContactPages::ContactPages(const WorkingDirectory &dir, Shell &shell) : m_dir(dir), m_shell(shell)
{
}

bool ContactPages::open(const QString &contactAddress, pages::ContactPage page)
{
    const std::optional<QString> target = pages::contactPageAddress(contactAddress, page);
    if (!target || !pages::writeRedirectPage(m_dir, *target))
        return false;
    m_shell.openDocument(m_dir.file(pages::redirectFile.toString()));
    return true;
}

QCoro::Task<> ContactPages::openCommand(QString contactAddress, pages::ContactPage page)
{
    open(contactAddress, page);
    co_return;
}

} // namespace quibo
