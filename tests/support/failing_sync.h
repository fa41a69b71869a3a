#pragma once

namespace torvane::test {

// Makes every later fsync() and fdatasync() of this process, and of every
// process it starts, fail with EIO, so a test sees whether a write syncs: one
// that does fails. For a forked child only, as it cannot be undone. False
// where the system does not allow it (not Linux, an unknown architecture, no
// seccomp); the test then skips.
bool MakeSyncsFail();

}  // namespace torvane::test
