/* Preloaded into ser2net by the tests: a pseudo-terminal has no modem lines,
 * so the ioctls that read and set them fail and ser2net never acknowledges a
 * request to set DTR or RTS. Where the device refuses them, this keeps the
 * lines itself, lets the calls succeed, and writes each change to the file
 * named by ZENTREL_MODEM_LOG. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>

static int lines = TIOCM_DSR | TIOCM_CTS | TIOCM_CD;

static void record(void)
{
    const char *path = getenv("ZENTREL_MODEM_LOG");
    FILE *log = path ? fopen(path, "a") : NULL;
    if (!log)
        return;
    fprintf(log, "dtr %d rts %d\n", (lines & TIOCM_DTR) != 0, (lines & TIOCM_RTS) != 0);
    fclose(log);
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    int *bits = va_arg(arguments, int *);
    va_end(arguments);
    int (*real)(int, unsigned long, ...) =
        (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    const int result = real(fd, request, bits);
    if (result == 0 || (errno != ENOTTY && errno != EINVAL))
        return result;
    switch (request) {
    case TIOCMGET:
        *bits = lines;
        return 0;
    case TIOCMSET:
        lines = *bits;
        break;
    case TIOCMBIS:
        lines |= *bits;
        break;
    case TIOCMBIC:
        lines &= ~*bits;
        break;
    default:
        return result;
    }
    record();
    return 0;
}
