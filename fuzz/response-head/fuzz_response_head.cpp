// Feeds arbitrary response heads to the secure download's reader: a head it takes has a status a
// download can tell from "none yet", a length that frames the body or none, no transfer coding,
// and reads the same when written out again.
#include "FuzzCheck.h"

#include "transfer/ResponseHead.h"

using namespace quibo;

namespace {

QByteArray written(const ResponseHead &head)
{
    QByteArray text = "HTTP/1.1 " + QByteArray::number(head.status) + " X\r\n";
    for (const auto &[name, value] : head.fields)
        text += name + ": " + value + "\r\n";
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);
    const std::optional<ResponseHead> head = parseResponseHead(bytes);
    if (!head)
        return 0;
    FUZZ_CHECK(head->status >= 100 && head->status <= 999);
    FUZZ_CHECK(head->contentLength >= -1);
    const bool bodiless = head->status < 200 || head->status == 204 || head->status == 304;
    FUZZ_CHECK(!bodiless || head->contentLength == 0);
    for (const auto &[name, value] : head->fields) {
        FUZZ_CHECK(name.compare("Transfer-Encoding", Qt::CaseInsensitive) != 0);
        FUZZ_CHECK(!name.isEmpty() && !name.contains('\n') && !value.contains('\n'));
        if (!bodiless && name.compare("Content-Length", Qt::CaseInsensitive) == 0)
            FUZZ_CHECK(value.toLongLong() == head->contentLength);
    }
    const std::optional<ResponseHead> again = parseResponseHead(written(*head));
    FUZZ_CHECK(again && again->status == head->status && again->fields == head->fields &&
               again->contentLength == head->contentLength);
    return 0;
}
