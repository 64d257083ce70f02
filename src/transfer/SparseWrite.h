#pragma once

#include <QFileDevice>

namespace quibo::transfer {

// Writes `size` bytes at the file's position, or, when they are all zero, only moves past them,
// so that the holes of a sparse file stay holes. The file's length is set with resize() once the
// last bytes are placed. False when the disk refused them.
bool writeOrSkipZeros(QFileDevice &file, const char *data, qint64 size);

} // namespace quibo::transfer
