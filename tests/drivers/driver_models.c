/* Models of the kernel drivers behind a printer port, so that the real
 * programs can meet them without the hardware. Preloaded (LD_PRELOAD) into
 * a dynamically linked labellpt or labelcom, this gives the descriptors
 * opened on LABEL_DRIVER_PORT the behaviour of the driver LABEL_DRIVER_MODEL
 * names, as the Linux sources read. Only what the real drivers in the qemu
 * guest of tests/guest cannot show is modelled here: qemu's parallel port is
 * always ready, its USB serial adapter ignores flow control and cannot be
 * unplugged by a test, and no real driver fails on demand with EINTR.
 *
 *   parallel-off-line      (lp) a write sleeps 10 s in the driver, a signal
 *                          cutting it short, then fails EIO (ENOSPC when out
 *                          of paper, which takes the same way)
 *   parallel-busy          (lp, which has no poll: always "writable") a write
 *                          waits 40 ms, then answers EAGAIN (EINTR if a
 *                          signal came)
 *   usb-serial             a terminal that sends at once
 *   usb-serial-held        a terminal whose line flow control holds: writes
 *                          fill a 4 KiB queue that never empties, tcflush
 *                          leaves it, closing waits up to 30 s for it unless
 *                          a signal comes
 *
 * LABEL_DRIVER_STATUS     what the parallel printer's status lines read
 *                         (LPGETSTATUS, on the port's node as lp's major 6
 *                         shows it), 0xd8 (ready) unless given; -1: the ask
 *                         fails EIO
 * LABEL_DRIVER_STATUS_MS  the status comes this long after it is asked for,
 *                         as a USB printer's may, up to usblp's 5 s control
 *                         timeout, which no signal cuts short
 * LABEL_DRIVER_FAULT_MS   the parallel printer is off line or busy until
 *                         this long after the first write
 * LABEL_DRIVER_UNPLUG_AFTER  after this many writes that took bytes the serial
 *                         adapter is gone: EIO, and its path no longer opens
 * LABEL_DRIVER_EINTR=1    every other keyboard read and poll, and every other
 *                         write and poll on the port, fails EINTR at once
 * LABEL_DRIVER_LOG        a file that gets one line per event: "open FD",
 *                         "write FD COUNT RESULT" for each write that reaches
 *                         the driver, "status" for each LPGETSTATUS,
 *                         "delivered COUNT", "unplugged", "close FD
 *                         MILLISECONDS" followed by "port cpu
 *                         MICROSECONDS", the user and system time since the
 *                         port was first opened (a sanitizer's start-up
 *                         and its leak check at the exit are not the
 *                         port's), and at the end "cpu MICROSECONDS", the
 *                         whole run's
 *
 * What the printer receives is appended to the file at the port's path. The
 * program's descriptor itself is /dev/null's, a character device, as a real
 * port's is. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/lp.h>
#include <poll.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

enum model { NONE, OFF_LINE, BUSY, USB_SERIAL, SERIAL_HELD };

enum { MAX_OPEN = 8, SERIAL_QUEUE = 4096 };

static struct {
    int ready;
    enum model model;
    const char* path;
    long fault_ms, unplug_after, status, status_ms;
    int inject_eintr, log;
    long first_write_ms;    /* -1 until the first write */
    long first_open_cpu_us; /* -1 until the first open */
    long writes_taken;
    int unplugged;
    /* serial models */
    struct termios settings;
    size_t queued;
} dev;

/* A duplicate of the port's descriptor (F_DUPFD) has no sink of its own. */
static struct { int fd, sink; } opened[MAX_OPEN];

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static long now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

/* Sleeps as a driver does, TASK_INTERRUPTIBLE: a caught signal ends it. */
static int sleep_ms(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000};
    return nanosleep(&t, NULL);
}

/* Sleeps as usblp's control transfer does, TASK_UNINTERRUPTIBLE: no signal ends it. */
static void sleep_through_ms(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000};
    while (nanosleep(&t, &t) != 0) {
    }
}

static long cpu_us(void) {
    struct timespec used;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return used.tv_sec * 1000000 + used.tv_nsec / 1000;
}

static long number(const char* name, long fallback) {
    const char* text = getenv(name);
    return text != NULL && *text != '\0' ? strtol(text, NULL, 0) : fallback;
}

static void note(const char* format, ...) {
    char line[128];
    va_list arguments;
    va_start(arguments, format);
    int size = vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (dev.log >= 0 && size > 0) {
        REAL(write)(dev.log, line, (size_t)size);
    }
}

static void prepare(void) {
    if (dev.ready) {
        return;
    }
    static const char* names[] = {"", "parallel-off-line", "parallel-busy", "usb-serial", "usb-serial-held"};
    const char* model = getenv("LABEL_DRIVER_MODEL");
    for (int m = 1; model != NULL && m < (int)(sizeof names / sizeof *names); ++m) {
        if (strcmp(model, names[m]) == 0) {
            dev.model = (enum model)m;
        }
    }
    dev.path = getenv("LABEL_DRIVER_PORT");
    dev.fault_ms = number("LABEL_DRIVER_FAULT_MS", 0);
    dev.status = number("LABEL_DRIVER_STATUS", LP_PBUSY | LP_PACK | LP_PSELECD | LP_PERRORP);
    dev.status_ms = number("LABEL_DRIVER_STATUS_MS", 0);
    dev.unplug_after = number("LABEL_DRIVER_UNPLUG_AFTER", -1);
    dev.inject_eintr = number("LABEL_DRIVER_EINTR", 0) != 0;
    const char* log = getenv("LABEL_DRIVER_LOG");
    dev.log = log != NULL ? REAL(open)(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644) : -1;
    dev.first_write_ms = -1;
    dev.first_open_cpu_us = -1;
    dev.settings.c_cflag = CS8 | CREAD | HUPCL | CRTSCTS;
    cfsetspeed(&dev.settings, B9600);
    for (int i = 0; i < MAX_OPEN; ++i) {
        opened[i].fd = -1;
    }
    dev.ready = 1;
}

static int slot_of(int fd) {
    prepare();
    for (int i = 0; fd >= 0 && dev.model != NONE && i < MAX_OPEN; ++i) {
        if (opened[i].fd == fd) {
            return i;
        }
    }
    return -1;
}

static int fail(int error) {
    errno = error;
    return -1;
}

/* Every other call fails EINTR, when asked for. */
static int spurious_eintr(int* count) { return dev.inject_eintr && (*count)++ % 2 == 0; }

static int is_serial(void) { return dev.model >= USB_SERIAL; }

static int is_parallel(void) { return dev.model == OFF_LINE || dev.model == BUSY; }

static int gone(void) { return dev.unplugged; }

static void took_bytes(void) { ++dev.writes_taken; }

/* The device goes while the port is open, just before a write. */
static void maybe_unplug(void) {
    if (dev.unplug_after >= 0 && dev.writes_taken >= dev.unplug_after && !dev.unplugged) {
        dev.unplugged = 1;
        note("unplugged\n");
    }
}

static int in_fault(void) { return dev.first_write_ms >= 0 && now_ms() < dev.first_write_ms + dev.fault_ms; }

static ssize_t model_write(int slot, const void* bytes, size_t size) {
    if (dev.first_write_ms < 0) {
        dev.first_write_ms = now_ms();
    }
    maybe_unplug();
    switch (dev.model) {
    case OFF_LINE:
        if (in_fault()) {
            sleep_ms(10000);
            return fail(EIO);
        }
        break;
    case BUSY:
        if (in_fault()) {
            return fail(sleep_ms(40) == 0 ? EAGAIN : EINTR);
        }
        break;
    case SERIAL_HELD: {
        if (gone()) {
            return fail(EIO);
        }
        const size_t room = SERIAL_QUEUE - dev.queued;
        if (room == 0) {
            return fail(EAGAIN);
        }
        const size_t taken = size < room ? size : room;
        dev.queued += taken;
        took_bytes();
        return (ssize_t)taken;
    }
    case USB_SERIAL:
        if (gone()) {
            return fail(EIO);
        }
        break;
    case NONE:
        break;
    }
    REAL(write)(opened[slot].sink, bytes, size);
    note("delivered %zu\n", size);
    took_bytes();
    return (ssize_t)size;
}

static int model_open(const char* path, int flags) {
    if (gone()) {
        return fail(ENOENT);
    }
    int slot = 0;
    while (slot < MAX_OPEN && opened[slot].fd >= 0) {
        ++slot;
    }
    const int sink = REAL(open)(path, O_WRONLY | O_APPEND | O_CLOEXEC);
    if (slot == MAX_OPEN || sink < 0) {
        return -1;
    }
    const int fd = REAL(open)("/dev/null", O_WRONLY | (flags & (O_NONBLOCK | O_CLOEXEC)));
    opened[slot].fd = fd;
    opened[slot].sink = sink;
    if (dev.first_open_cpu_us < 0) {
        dev.first_open_cpu_us = cpu_us();
    }
    note("open %d\n", fd);
    return fd;
}

static int open_file(const char* path, int flags, mode_t mode, const char* name) {
    prepare();
    if (dev.model != NONE && dev.path != NULL && strcmp(path, dev.path) == 0) {
        return model_open(path, flags);
    }
    int (*real)(const char*, int, ...) = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, name);
    return real(path, flags, mode);
}

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    return open_file(path, flags, mode, "open");
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    return open_file(path, flags, mode, "open64");
}

/* An injected interruption never reaches the driver, nor the log. */
ssize_t write(int fd, const void* bytes, size_t size) {
    static int interruptions;
    const int slot = slot_of(fd);
    if (slot < 0) {
        return REAL(write)(fd, bytes, size);
    }
    if (spurious_eintr(&interruptions)) {
        return fail(EINTR);
    }
    const ssize_t result = model_write(slot, bytes, size);
    note("write %d %zu %s\n", fd, size, result >= 0 ? "ok" : strerrorname_np(errno));
    return result;
}

ssize_t read(int fd, void* bytes, size_t size) {
    static int interruptions;
    prepare();
    if (fd == STDIN_FILENO && spurious_eintr(&interruptions)) {
        return fail(EINTR);
    }
    return REAL(read)(fd, bytes, size);
}

/* The programs poll the port alone, and the keyboard with a pipe. */
static int model_poll(struct pollfd* watch, int timeout) {
    static int interruptions;
    if (spurious_eintr(&interruptions)) {
        return fail(EINTR);
    }
    int writable = 1;
    if (dev.model == SERIAL_HELD && dev.queued == SERIAL_QUEUE) {
        if (sleep_ms(timeout) != 0) {
            return fail(EINTR);
        }
        writable = 0;
    }
    watch->revents = (short)((writable ? POLLOUT : 0) | (is_serial() && gone() ? POLLERR | POLLHUP : 0));
    return watch->revents != 0;
}

/* glibc declares the array write-only, which the kernel's poll does not
 * take it for either. */
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
int poll(struct pollfd* watch, nfds_t count, int timeout) {
    static int interruptions;
    prepare();
    if (count == 1 && slot_of(watch->fd) >= 0) {
        return model_poll(watch, timeout);
    }
    for (nfds_t i = 0; i < count; ++i) {
        if (watch[i].fd == STDIN_FILENO && spurious_eintr(&interruptions)) {
            return fail(EINTR);
        }
    }
    return REAL(poll)(watch, count, timeout);
}

int close(int fd) {
    const int slot = slot_of(fd);
    if (slot < 0) {
        return REAL(close)(fd);
    }
    if (opened[slot].sink < 0) {
        opened[slot].fd = -1;
        return REAL(close)(fd);
    }
    const long start = now_ms();
    if (dev.model == SERIAL_HELD && dev.queued > 0 && !gone()) {
        sleep_ms(30000); /* closing_wait */
    }
    dev.queued = 0;
    REAL(close)(opened[slot].sink);
    opened[slot].fd = -1;
    note("close %d %ld\n", fd, now_ms() - start);
    note("port cpu %ld\n", cpu_us() - dev.first_open_cpu_us);
    return REAL(close)(fd);
}

static int serial_port(int fd) { return slot_of(fd) >= 0 && is_serial(); }

/* 0 for a request the serial model grants, else -1 with EIO. */
static int serial_answer(void) { return gone() ? fail(EIO) : 0; }

int isatty(int fd) { return serial_port(fd) ? serial_answer() == 0 : REAL(isatty)(fd); }

int tcgetattr(int fd, struct termios* settings) {
    if (!serial_port(fd)) {
        return REAL(tcgetattr)(fd, settings);
    }
    *settings = dev.settings;
    return serial_answer();
}

int tcsetattr(int fd, int when, const struct termios* settings) {
    if (!serial_port(fd)) {
        return REAL(tcsetattr)(fd, when, settings);
    }
    dev.settings = *settings;
    return serial_answer();
}

/* TCOFLUSH does not reach what a USB serial driver has queued. */
int tcflush(int fd, int queue) { return serial_port(fd) ? serial_answer() : REAL(tcflush)(fd, queue); }

int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    if (slot_of(fd) >= 0 && is_parallel() && request == LPGETSTATUS) {
        note("status\n");
        sleep_through_ms(dev.status_ms);
        if (dev.status < 0) {
            return fail(EIO);
        }
        *(int*)argument = (int)dev.status;
        return 0;
    }
    if (!serial_port(fd)) {
        return REAL(ioctl)(fd, request, argument);
    }
    if (serial_answer() != 0) {
        return -1;
    }
    if (request != TIOCOUTQ) {
        return fail(ENOTTY);
    }
    *(int*)argument = (int)dev.queued;
    return 0;
}

int fcntl(int fd, int command, ...) {
    va_list arguments;
    va_start(arguments, command);
    const long argument = va_arg(arguments, long);
    va_end(arguments);
    const int copy = REAL(fcntl)(fd, command, argument);
    if (copy >= 0 && (command == F_DUPFD || command == F_DUPFD_CLOEXEC) && slot_of(fd) >= 0) {
        for (int slot = 0; slot < MAX_OPEN; ++slot) {
            if (opened[slot].fd < 0) {
                opened[slot].fd = copy;
                opened[slot].sink = -1;
                break;
            }
        }
    }
    return copy;
}

/* The parallel models' node is lp's. */
int fstat(int fd, struct stat* status) {
    const int result = REAL(fstat)(fd, status);
    if (result == 0 && slot_of(fd) >= 0 && is_parallel()) {
        status->st_rdev = makedev(6, 0);
    }
    return result;
}

/* Each run's port is a device of its own, but the descriptor behind it is
 * /dev/null's, which runs side by side share: its lock is granted here. */
int flock(int fd, int operation) { return slot_of(fd) >= 0 ? 0 : REAL(flock)(fd, operation); }

/* The CPU time the whole run used, for bench/ to weigh. */
__attribute__((destructor)) static void note_cpu_time(void) {
    if (dev.ready) {
        note("cpu %ld\n", cpu_us());
    }
}
