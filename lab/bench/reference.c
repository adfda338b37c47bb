/* SPDX-License-Identifier: MIT */
/* The least a program can do to read register 2: the same system calls as
 * `regrw 0 2`, with no arguments to check. The benchmark's floor. */
#include <fcntl.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

int main(void)
{
    const int reg = 2;
    int32_t word = 0;
    (void)signal(SIGPIPE, SIG_IGN);
    const int fd = open("/dev/test_registers", O_RDWR | O_SYNC);
    if (fd == -1 || lseek(fd, reg, SEEK_SET) == -1 || read(fd, &word, sizeof word) != sizeof word)
        return 1;
    if (close(fd) == -1)
        return 1;
    printf("reg%d = 0x%08x\n", reg, (unsigned)word);
    return fflush(stdout) == 0 ? 0 : 1;
}
