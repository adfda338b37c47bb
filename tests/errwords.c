/* SPDX-License-Identifier: MIT */
/* errwords NAME...: for each errno name, one line "NAME NUMBER MESSAGE", the
 * number and the message as the C library this is built with has them. It
 * is built beside each build of the tool with the same toolchain, so the
 * tests expect the very words that build's binary prints: a static file
 * carries its own C library's messages (musl says "I/O error" where the GNU
 * C library says "Input/output error"). Exits 2 on an unknown name. */
#include <errno.h>
#include <stdio.h>
#include <string.h>

static const struct {
    const char *name;
    int value;
} names[] = {
    {"ENOENT", ENOENT}, {"EIO", EIO},       {"EBADF", EBADF},   {"EACCES", EACCES},
    {"ENODEV", ENODEV}, {"EISDIR", EISDIR}, {"EINVAL", EINVAL}, {"ENOSPC", ENOSPC},
    {"ESPIPE", ESPIPE}, {"EROFS", EROFS},   {"EHWPOISON", EHWPOISON},
};

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; i++) {
        size_t n = 0;
        while (n < sizeof names / sizeof names[0] && strcmp(names[n].name, argv[i]) != 0)
            n++;
        if (n == sizeof names / sizeof names[0]) {
            (void)fprintf(stderr, "errwords: unknown errno name: %s\n", argv[i]);
            return 2;
        }
        printf("%s %d %s\n", names[n].name, names[n].value, strerror(names[n].value));
    }
    return fflush(stdout) == 0 ? 0 : 2;
}
