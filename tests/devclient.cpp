// SPDX-License-Identifier: MIT
// devclient: a client of the test's own for a register device, to check that
// the device (a stand-in, or the driver) answers what it should and logs what
// it was sent. It does exactly what its arguments say, one system call a
// step, and prints each call's result, so a test can hold the device's log
// against what really reached it.
//
// Usage: devclient PATH MODE [STEP...]
//   MODE  r, w or rw (the access mode), optionally followed by +sync, +dsync
//         or +nonblock
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
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "number.h"

namespace {

[[noreturn]] void usage()
{
    (void)fputs("usage: devclient PATH r|w|rw[+sync|+dsync|+nonblock] "
                "[seek N | seekcur N | read SIZE | write HEX]...\n",
                stderr);
    exit(2);
}

int open_flags(const std::string &mode)
{
    const size_t plus = mode.find('+');
    const std::string access = mode.substr(0, plus);
    const std::string extra = plus == std::string::npos ? "" : mode.substr(plus + 1);
    int flags = 0;
    if (access == "r")
        flags = O_RDONLY;
    else if (access == "w")
        flags = O_WRONLY;
    else if (access == "rw")
        flags = O_RDWR;
    else
        usage();
    if (extra == "sync")
        flags |= O_SYNC;
    else if (extra == "dsync")
        flags |= O_DSYNC;
    else if (extra == "nonblock")
        flags |= O_NONBLOCK;
    else if (!extra.empty())
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

std::vector<unsigned char> hex_bytes(const char *text)
{
    std::vector<unsigned char> bytes;
    const size_t len = strlen(text);
    if (len % 2 != 0)
        usage();
    for (size_t i = 0; i < len; i += 2) {
        const std::string pair = std::string("0x") + text[i] + text[i + 1];
        bytes.push_back(static_cast<unsigned char>(number(pair.c_str(), 0, 255)));
    }
    return bytes;
}

void seek(int fd, const std::string &step, const char *arg)
{
    const auto pos = static_cast<off_t>(number(arg, INT32_MIN, INT32_MAX));
    const off_t got = lseek(fd, pos, step == "seek" ? SEEK_SET : SEEK_CUR);
    if (got == -1)
        printf("%s %s -> %s\n", step.c_str(), arg, strerror(errno));
    else
        printf("%s %s -> %lld\n", step.c_str(), arg, static_cast<long long>(got));
}

void read_bytes(int fd, const char *arg)
{
    const auto size = static_cast<size_t>(number(arg, 0, 64));
    std::vector<unsigned char> buf(size + 1);
    const ssize_t got = read(fd, buf.data(), size);
    if (got == -1) {
        printf("read %zu -> %s\n", size, strerror(errno));
        return;
    }
    printf("read %zu -> %zd", size, got);
    for (ssize_t b = 0; b < got; ++b)
        printf(" %02x", buf[static_cast<size_t>(b)]);
    printf("\n");
}

void write_bytes(int fd, const char *arg)
{
    const std::vector<unsigned char> bytes = hex_bytes(arg);
    const ssize_t got = write(fd, bytes.data(), bytes.size());
    if (got == -1)
        printf("write %zu -> %s\n", bytes.size(), strerror(errno));
    else
        printf("write %zu -> %zd\n", bytes.size(), got);
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
        const std::string step = argv[i];
        if (step == "seek" || step == "seekcur")
            seek(fd, step, argv[i + 1]);
        else if (step == "read")
            read_bytes(fd, argv[i + 1]);
        else if (step == "write")
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
