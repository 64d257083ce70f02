// Feeds arbitrary file contents to the reading of "settings": the handle stays within its
// field, logon and logoff agree on any handle registration could have written, and a handle
// registration accepts reads back as itself.
#include "FuzzCheck.h"

#include "base/Limits.h"
#include "directory/DirectoryClient.h"
#include "directory/Registration.h"
#include "directory/WorkingFiles.h"

using namespace quibo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray file = fuzz::input(data, size);
    const QString atLogon = reply_text::firstLine(file, working_files::HandleReadAtLogon);
    const QString atLogoff = reply_text::firstLine(file, working_files::HandleReadAtLogoff);
    FUZZ_CHECK(!atLogon.contains(u'\n') && !atLogoff.contains(u'\n'));
    if (fuzz::isUtf8(file)) {
        FUZZ_CHECK(atLogon.toUtf8().size() <= working_files::HandleReadAtLogon - 1);
        FUZZ_CHECK(atLogoff.toUtf8().size() <= working_files::HandleReadAtLogoff - 1);
        FUZZ_CHECK(atLogoff.startsWith(atLogon));
        if (atLogoff.toUtf8().size() <= limits::HandleBytes)
            FUZZ_CHECK(atLogon == atLogoff);
    }

    // Registration writes the handle and CR LF.
    if (!atLogon.isEmpty() && !handleRefusal(atLogon)) {
        const QByteArray written = atLogon.toUtf8() + "\r\n";
        FUZZ_CHECK(reply_text::firstLine(written, working_files::HandleReadAtLogon) == atLogon);
        FUZZ_CHECK(reply_text::firstLine(written, working_files::HandleReadAtLogoff) == atLogon);
    }
    return 0;
}
