#pragma once

namespace quibo {

// Hands pages that the allocator holds but nobody uses back to the system. After a burst of
// short-lived connections the heap is left with free pages between the few blocks that
// stayed; the allocator alone only ever gives back the free space at its top.
void releaseFreedMemory();

} // namespace quibo
