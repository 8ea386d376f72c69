#pragma once
// Memory the process has freed but the allocator still holds.

namespace platform {

// Gives back to the system the free memory the allocator keeps (start-up frees a good deal: the
// skin's file bytes, the parsed theme and INI files), so that an idle menu holds only what it
// uses. Takes about a millisecond; harmless at any time.
void ReturnFreeMemory();

} // namespace platform
