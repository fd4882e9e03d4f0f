/* Preloaded into ser2net by the tests: a pseudo-terminal has no modem lines,
 * so ser2net cannot set DTR or RTS there and never acknowledges the request.
 * Where the device refuses those ioctls, this keeps the lines itself and
 * writes each change to the file ZENTREL_MODEM_LOG names. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>

int ioctl(int fd, unsigned long request, ...)
{
    static int lines = TIOCM_DSR | TIOCM_CTS | TIOCM_CD;
    va_list arguments;
    va_start(arguments, request);
    int *bits = va_arg(arguments, int *);
    va_end(arguments);
    int (*real)(int, unsigned long, ...) = dlsym(RTLD_NEXT, "ioctl");
    const int result = real(fd, request, bits);
    if (result == 0 || (errno != ENOTTY && errno != EINVAL))
        return result;
    if (request == TIOCMGET)
        *bits = lines;
    else if (request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC)
        lines = request == TIOCMSET ? *bits : request == TIOCMBIS ? lines | *bits : lines & ~*bits;
    else
        return result;
    FILE *log = request != TIOCMGET && getenv("ZENTREL_MODEM_LOG")
                    ? fopen(getenv("ZENTREL_MODEM_LOG"), "a")
                    : NULL;
    if (log) {
        fprintf(log, "dtr %d rts %d\n", (lines & TIOCM_DTR) != 0, (lines & TIOCM_RTS) != 0);
        fclose(log);
    }
    return 0;
}
