#pragma once

// A terminal port held by this program alone, for as long as it holds it.
//
//   holdTerminal(fd)      an exclusive lock (flock, LOCK_EX|LOCK_NB) and
//                         TIOCEXCL; EBUSY if another program holds the lock,
//                         else 0. TIOCEXCL makes later opens fail with EBUSY,
//                         except for root, whom the lock stops instead. A
//                         second labelcom on the line is refused either way,
//                         and never interleaves its bytes with ours.
//   releaseTerminal(fd)   lets go of both; TIOCEXCL would outlast our close
//                         on a line that another descriptor keeps open.
//   makeOutputRaw(fd, before)   clears OPOST, so that the line gets exactly
//                         the bytes sent; `before` is what the raw port puts
//                         back when it lets the line go.

#include <termios.h>

namespace label::platform {

int holdTerminal(int fd);
void releaseTerminal(int fd);
void makeOutputRaw(int fd, const termios& before);

}  // namespace label::platform
