// SPDX-License-Identifier: MIT
// regrw: read or write one 32-bit register of the device behind
// /dev/test_registers. One run is one command, one transfer, one status.
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "number.h"
#include "reg_device.h"

namespace {

// Which version a board runs, in the form what(1) looks for and strings(1)
// shows: the command line keeps no option for it.
[[gnu::used]] const char version_line[] = "@(#)regrw " REGRW_VERSION;

void usage(const char *prog)
{
    printf("Proper usage: %s <R/W> <REG_NUM> [DATA]\n"
           "\tR/W - Read = 0 Write = 1\n"
           "\tREG_NUM - [0:2]\n"
           "\tDATA - data to be written to reg\n",
           prog);
}

// "invalid NAME: TEXT" on standard error, one line whatever bytes TEXT
// holds: printable ASCII as it is, anything else escaped as C writes it, so
// that an argument can neither break the line nor drive the terminal.
void refuse(const char *name, const char *text)
{
    static const char controls[] = "\a\b\t\n\v\f\r";
    static const char letters[] = "abtnvfr";
    char line[256];
    auto used = static_cast<size_t>(snprintf(line, sizeof line, "invalid %s: ", name));
    for (const char *p = text; *p != '\0'; ++p) {
        // Room for the longest escape, and the newline after the last.
        if (used + 5 > sizeof line) {
            (void)fwrite(line, 1, used, stderr);
            used = 0;
        }
        const auto c = static_cast<unsigned char>(*p);
        const char *control = strchr(controls, c);
        if (c >= ' ' && c <= '~' && c != '\\') {
            line[used++] = static_cast<char>(c);
        } else {
            line[used++] = '\\';
            if (c == '\\') {
                line[used++] = '\\';
            } else if (control != nullptr) {
                line[used++] = letters[control - controls];
            } else {
                line[used++] = static_cast<char>('0' + (c >> 6));
                line[used++] = static_cast<char>('0' + ((c >> 3) & 7));
                line[used++] = static_cast<char>('0' + (c & 7));
            }
        }
    }
    line[used++] = '\n';
    (void)fwrite(line, 1, used, stderr);
}

// Converts one argument, or names it on standard error and refuses it. The
// value's low 32 bits are kept, so DATA 4294967295 and -1 are the same word.
bool convert(const char *name, const char *text, int64_t min, int64_t max, int32_t *out)
{
    int64_t value = 0;
    if (!parse_number(text, min, max, &value)) {
        refuse(name, text);
        return false;
    }
    *out = static_cast<int32_t>(static_cast<uint32_t>(value));
    return true;
}

constexpr int64_t int32_min = INT32_MIN;
constexpr int64_t int32_max = INT32_MAX;
constexpr int64_t uint32_max = UINT32_MAX;

}  // namespace

int main(int argc, char *argv[])
{
    // A reader that has gone is a failure like any other: reported, and
    // status 255, not a death by SIGPIPE that the exit status would hide
    // from a script as 141.
    (void)signal(SIGPIPE, SIG_IGN);

    // A program started with no arguments at all gets an empty name from
    // Linux; the usage line still has to say what to run.
    const char *prog = argc > 0 && argv[0][0] != '\0' ? argv[0] : "regrw";

    if (argc < 3 || argc > 4) {
        usage(prog);
        return -1;
    }

    reg_request req{};
    if (!convert("R/W", argv[1], int32_min, int32_max, &req.rw) ||
        !convert("REG_NUM", argv[2], int32_min, int32_max, &req.reg_num)) {
        usage(prog);
        return -1;
    }

    const bool reading = argc == 3 && req.rw == 0;
    const bool writing = argc == 4 && req.rw == 1;
    if (!reading && !writing) {
        usage(prog);
        return -1;
    }
    if (writing && !convert("DATA", argv[3], int32_min, uint32_max, &req.data)) {
        usage(prog);
        return -1;
    }

    if (reg_transfer(req) == -1)
        return -1;

    // The result line is the product; a run whose line did not get out has
    // failed, however well the transfer went.
    if (reading && (printf("reg%d = 0x%08x\n", req.reg_num, static_cast<unsigned>(req.data)) < 0 ||
                 fflush(stdout) == EOF)) {
        perror("output failed");
        return -1;
    }
    return 0;
}
