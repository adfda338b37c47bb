/* SPDX-License-Identifier: MIT */
/* errwords: "NAME NUMBER MESSAGE" for each errno the tests name, as the C
 * library of the tool's build beside it has them (musl's "I/O error" is
 * glibc's "Input/output error"). errwords --execve FILE [ARG...]: the line
 * of the errno execve(2) refuses FILE with, exit 1 (no shell behind to try
 * it as a script); a FILE the kernel takes runs instead. */
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static const struct {
    const char *name;
    int value;
} names[] = {
    {"ENOENT", ENOENT}, {"EIO", EIO},       {"EBADF", EBADF},   {"EACCES", EACCES},
    {"ENODEV", ENODEV}, {"EISDIR", EISDIR}, {"EINVAL", EINVAL}, {"ENOSPC", ENOSPC},
    {"ESPIPE", ESPIPE}, {"EROFS", EROFS},   {"EHWPOISON", EHWPOISON}, {"ENOEXEC", ENOEXEC},
    {"EPIPE", EPIPE},
};
enum { count = sizeof names / sizeof names[0] };

static void say(size_t n)
{
    printf("%s %d %s\n", names[n].name, names[n].value, strerror(names[n].value));
}

int main(int argc, char *argv[])
{
    if (argc >= 3 && strcmp(argv[1], "--execve") == 0) {
        (void)execv(argv[2], argv + 2);
        const int refusal = errno;
        size_t n = 0;
        while (n < count && names[n].value != refusal)
            n++;
        if (n < count)
            say(n);
        else
            printf("errno %d %s\n", refusal, strerror(refusal));
        return fflush(stdout) == 0 ? 1 : 2;
    }
    for (size_t n = 0; n < count; n++)
        say(n);
    return fflush(stdout) == 0 ? 0 : 2;
}
