// SPDX-License-Identifier: MIT
#include "reg_device.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace {

const char device_path[] = "/dev/test_registers";
constexpr ssize_t word_size = sizeof(int32_t);

}  // namespace

int reg_transfer(reg_request &req)
{
    const bool writing = req.rw == 1;

    // The driver is only ever handed one kind of open, read-write and
    // O_SYNC, for a read as for a write, the open it has always been
    // handed. The kernel does nothing with O_SYNC on a character device (a
    // write has reached the driver when write() returns either way); it is
    // there for the driver, which sees it in the file's flags and may finish
    // a transfer before returning from it. The price is visible to users:
    // reading a register needs write permission on the node as well.
    const int fd = open(device_path, O_RDWR | O_SYNC);
    if (fd == -1) {
        perror("open failed");
        return -1;
    }

    // Failures are reported only once the node is closed: when the caller
    // started us with standard output or standard error closed, the node
    // holds descriptor 1 or 2, and a report must never be written into it.
    const char *failure = nullptr;
    int failure_errno = 0;
    ssize_t moved = word_size;
    int32_t word = req.data;

    // The position counts registers, not bytes: register n is position n.
    if (lseek(fd, req.reg_num, SEEK_SET) == -1) {
        failure = "lseek failed";
        failure_errno = errno;
    } else {
        // One call, no retry: a second attempt could hand the driver a word
        // twice, or its tail on its own.
        moved = writing ? write(fd, &word, word_size) : read(fd, &word, word_size);
        if (moved == -1) {
            failure = writing ? "write failed" : "read failed";
            failure_errno = errno;
        }
    }

    // A failed close can be the only sign that the driver refused the word.
    if (close(fd) == -1 && failure == nullptr && moved == word_size) {
        failure = "close failed";
        failure_errno = errno;
    }

    if (failure != nullptr) {
        errno = failure_errno;
        perror(failure);
        return -1;
    }
    if (moved != word_size) {
        (void)fprintf(stderr, "%s failed: %zd of %zd bytes transferred\n",
                      writing ? "write" : "read", moved, word_size);
        return -1;
    }
    // Only now, so that a read the close then failed leaves data as it was.
    req.data = word;
    return 0;
}
