// Feeds arbitrary file contents to the contacts file's reading and writing: a handle stays
// within its field, and what is written back reads back the same.
#include "FuzzCheck.h"

#include "base/Limits.h"
#include "contacts/ContactsFile.h"

using namespace quibo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray content = fuzz::input(data, size);
    const QStringList handles = contacts_file::parse(content);
    for (const QString &handle : handles) {
        FUZZ_CHECK(!handle.isEmpty());
        FUZZ_CHECK(!handle.contains(u'\n'));
        FUZZ_CHECK(handle.toUtf8().size() <= limits::HandleFieldBytes);
    }
    FUZZ_CHECK(contacts_file::parse(contacts_file::format(handles)) == handles);

    // The table takes only the first handles and the book keeps the rest of the file as it is.
    for (const qsizetype limit : {qsizetype(0), qsizetype(1), qsizetype(100)}) {
        const contacts_file::Split split = contacts_file::split(content, limit);
        FUZZ_CHECK(split.handles.size() <= limit);
        FUZZ_CHECK(content.endsWith(split.rest));
        FUZZ_CHECK(split.handles + contacts_file::parse(split.rest) == handles);
    }

    // Adding a contact adds exactly its line, whatever the file ended with.
    const QString added = QStringLiteral("Newcomer");
    FUZZ_CHECK(contacts_file::parse(contacts_file::withLine(content, added)) == handles + QStringList{added});
    return 0;
}
