#include "posix_terminal.h"

#include <sys/file.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace label::platform {

int holdTerminal(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? EBUSY : 0;
    }
    // A driver that has no such request still has the lock.
    ::ioctl(fd, TIOCEXCL);
    return 0;
}

void releaseTerminal(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
}

void makeOutputRaw(int fd, const termios& before) {
    termios raw = before;
    raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    ::tcsetattr(fd, TCSANOW, &raw);
}

}  // namespace label::platform
