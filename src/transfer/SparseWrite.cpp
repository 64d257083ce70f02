#include "transfer/SparseWrite.h"

#include <cstring>

namespace quibo::transfer {

bool writeOrSkipZeros(QFileDevice &file, const char *data, qint64 size)
{
    if (size <= 0)
        return true;
    if (data[0] == 0 && std::memcmp(data, data + 1, static_cast<size_t>(size - 1)) == 0)
        return file.seek(file.pos() + size);
    return file.write(data, size) == size;
}

} // namespace quibo::transfer
