#include "transfer/FileReception.h"

namespace quibo {

QCoro::Task<> FileReception::OnFileOffer(FileOffer offer)
{
    // The receive-file dialog comes with receiving files.
    Q_UNUSED(offer);
    co_return;
}

} // namespace quibo
