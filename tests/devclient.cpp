// SPDX-License-Identifier: MIT
// devclient: a client of the test's own for a register device, to check that
// the device (a stand-in, or the driver) answers what it should and logs what
// it was sent. It does exactly what its arguments say, one system call a
// step, and prints each call's result, so a test can hold the device's log
// against what really reached it.
//
// Usage: devclient PATH MODE [STEP...]
//   MODE  r, w or rw (the access mode), optionally followed by +sync or
//         +dsync
//   STEP  seek N (SEEK_SET), seekcur N (SEEK_CUR), read SIZE, or write HEX
//         (the bytes to write, two hexadecimal digits each)
// The node is closed after the last step. Output, a line a call:
//   open -> ok | open -> STRERROR           (nothing follows a failed open)
//   seek N -> POSITION | seek N -> STRERROR
//   read SIZE -> COUNT BYTES... | read SIZE -> STRERROR
//   write SIZE -> COUNT | write SIZE -> STRERROR
//   close -> ok | close -> STRERROR
// Exits 0 once it has run its steps (whatever their results), 1 when the open
// failed, 2 on a malformed command.
//
// Plain C library calls only: it is also built against musl for the board,
// with no C++ library there.
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
    (void)fputs("usage: devclient PATH r|w|rw[+sync|+dsync] "
                "[seek N | seekcur N | read SIZE | write HEX]...\n",
                stderr);
    exit(2);
}

int open_flags(const char *mode)
{
    const char *plus = strchr(mode, '+');
    const size_t access_len = plus == nullptr ? strlen(mode) : static_cast<size_t>(plus - mode);
    const char *extra = plus == nullptr ? "" : plus + 1;
    int flags = 0;
    if (access_len == 1 && mode[0] == 'r')
        flags = O_RDONLY;
    else if (access_len == 1 && mode[0] == 'w')
        flags = O_WRONLY;
    else if (access_len == 2 && strncmp(mode, "rw", 2) == 0)
        flags = O_RDWR;
    else
        usage();
    if (strcmp(extra, "sync") == 0)
        flags |= O_SYNC;
    else if (strcmp(extra, "dsync") == 0)
        flags |= O_DSYNC;
    else if (*extra != '\0')
        usage();
    return flags;
}

int64_t number(const char *text, int64_t min, int64_t max)
{
    int64_t value = 0;
    if (!parse_number(text, min, max, &value))
        usage();
    return value;
}

// The bytes HEX names, two digits each, into bytes; returns their count.
size_t hex_bytes(const char *text, unsigned char *bytes)
{
    const size_t len = strlen(text);
    if (len % 2 != 0 || len / 2 > max_bytes)
        usage();
    for (size_t i = 0; i < len; i += 2) {
        const char pair[] = {'0', 'x', text[i], text[i + 1], '\0'};
        bytes[i / 2] = static_cast<unsigned char>(number(pair, 0, 255));
    }
    return len / 2;
}

void seek(int fd, const char *step, const char *arg)
{
    const auto pos = static_cast<off_t>(number(arg, INT32_MIN, INT32_MAX));
    const off_t got = lseek(fd, pos, strcmp(step, "seek") == 0 ? SEEK_SET : SEEK_CUR);
    if (got == -1)
        printf("%s %s -> %s\n", step, arg, strerror(errno));
    else
        printf("%s %s -> %lld\n", step, arg, static_cast<long long>(got));
}

void read_bytes(int fd, const char *arg)
{
    const auto size = static_cast<size_t>(number(arg, 0, max_bytes));
    unsigned char buf[max_bytes];
    const ssize_t got = read(fd, buf, size);
    if (got == -1) {
        printf("read %zu -> %s\n", size, strerror(errno));
        return;
    }
    printf("read %zu -> %zd", size, got);
    for (ssize_t b = 0; b < got; ++b)
        printf(" %02x", buf[b]);
    printf("\n");
}

void write_bytes(int fd, const char *arg)
{
    unsigned char bytes[max_bytes];
    const size_t size = hex_bytes(arg, bytes);
    const ssize_t got = write(fd, bytes, size);
    if (got == -1)
        printf("write %zu -> %s\n", size, strerror(errno));
    else
        printf("write %zu -> %zd\n", size, got);
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

    for (int i = 3; i < argc; i += 2) {
        const char *step = argv[i];
        if (strcmp(step, "seek") == 0 || strcmp(step, "seekcur") == 0)
            seek(fd, step, argv[i + 1]);
        else if (strcmp(step, "read") == 0)
            read_bytes(fd, argv[i + 1]);
        else if (strcmp(step, "write") == 0)
            write_bytes(fd, argv[i + 1]);
        else
            usage();
    }

    if (close(fd) == -1)
        printf("close -> %s\n", strerror(errno));
    else
        printf("close -> ok\n");
    return fflush(stdout) == 0 ? 0 : 2;
}
