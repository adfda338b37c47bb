// SPDX-License-Identifier: MIT
// devclient PATH r|w|rw[+sync] | rw+dsync [STEP...]: the tests' client for a
// register device, one system call a step, so a test holds the device's
// answers and log to what really reached it. A STEP: seek N (SEEK_SET),
// seekcur N (SEEK_CUR), read SIZE or write HEX (two digits a byte); a close
// follows. Lines: "open -> ok", "seek N -> POSITION", "read SIZE -> COUNT
// BYTES...", "write SIZE -> COUNT", "close -> ok", or the call and "->
// STRERROR". Exits 0 once its steps ran, 1 where the open failed, 2 on a
// malformed command. Plain C calls only: the board's is built against musl.
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "number.h"

namespace {

constexpr size_t max_bytes = 64;

[[noreturn]] void usage()
{
    (void)fputs("usage: devclient PATH r|w|rw[+sync] | rw+dsync [seek N | seekcur N | read SIZE | write HEX]...\n", stderr);
    exit(2);
}

int open_flags(const char *mode)
{
    static const struct {
        const char *mode;
        int flags;
    } modes[] = {
        {"r", O_RDONLY}, {"r+sync", O_RDONLY | O_SYNC}, {"w", O_WRONLY}, {"w+sync", O_WRONLY | O_SYNC},
        {"rw", O_RDWR},  {"rw+sync", O_RDWR | O_SYNC},  {"rw+dsync", O_RDWR | O_DSYNC},
    };
    for (const auto &m : modes)
        if (strcmp(m.mode, mode) == 0)
            return m.flags;
    usage();
}

int64_t argument(const char *text, int64_t min, int64_t max)
{
    int64_t value = 0;
    if (!parse_number(text, min, max, &value))
        usage();
    return value;
}

// The bytes HEX names, two digits each, into bytes; returns their count.
size_t parse_hex(const char *text, unsigned char *bytes)
{
    const size_t len = strlen(text);
    if (len % 2 != 0 || len / 2 > max_bytes)
        usage();
    for (size_t i = 0; i < len; i += 2) {
        const char pair[] = {'0', 'x', text[i], text[i + 1], '\0'};
        bytes[i / 2] = static_cast<unsigned char>(argument(pair, 0, 255));
    }
    return len / 2;
}

void step(int fd, const char *name, const char *arg)
{
    if (strcmp(name, "seek") == 0 || strcmp(name, "seekcur") == 0) {
        const auto pos = static_cast<off_t>(argument(arg, INT32_MIN, INT32_MAX));
        const off_t got = lseek(fd, pos, strcmp(name, "seek") == 0 ? SEEK_SET : SEEK_CUR);
        if (got == -1)
            printf("%s %s -> %s\n", name, arg, strerror(errno));
        else
            printf("%s %s -> %lld\n", name, arg, static_cast<long long>(got));
        return;
    }
    unsigned char buf[max_bytes];
    const bool reading = strcmp(name, "read") == 0;
    if (!reading && strcmp(name, "write") != 0)
        usage();
    const size_t size = reading ? static_cast<size_t>(argument(arg, 0, max_bytes)) : parse_hex(arg, buf);
    const ssize_t got = reading ? read(fd, buf, size) : write(fd, buf, size);
    if (got == -1) {
        printf("%s %zu -> %s\n", name, size, strerror(errno));
        return;
    }
    printf("%s %zu -> %zd", name, size, got);
    for (ssize_t b = 0; reading && b < got; ++b)
        printf(" %02x", buf[b]);
    printf("\n");
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc < 3 || (argc - 3) % 2 != 0)
        usage();
    const int flags = open_flags(argv[2]);
    const int fd = open(argv[1], flags);
    if (fd == -1) {
        printf("open -> %s\n", strerror(errno));
        return 1;
    }
    printf("open -> ok\n");
    for (int i = 3; i < argc; i += 2)
        step(fd, argv[i], argv[i + 1]);
    if (close(fd) == -1)
        printf("close -> %s\n", strerror(errno));
    else
        printf("close -> ok\n");
    return fflush(stdout) == 0 ? 0 : 2;
}
