// SPDX-License-Identifier: MIT
// regsim: a stand-in for the register device, a FUSE file, so that the
// tool's every call goes through the kernel's file interface: a 4-byte
// transfer at position n moves register n's word in host byte order. It
// takes the driver's words and logs in its lines (lab/driver/test_registers.h),
// so one table holds both. But a file cannot refuse a seek (lax_seek=1
// always), and never sees one (it logs none); its words are set at start.
#define FUSE_USE_VERSION 31

#include <fuse3/fuse.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <getopt.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "number.h"
#include "test_registers.h"

namespace {

constexpr size_t word_size = sizeof(uint32_t);

struct Device {
    std::vector<uint32_t> registers;
    int log_fd = -1;
    // nregs, lax_seek, fail_open ... short_write, at their defaults.
#define TR_FIELD(name, mode, min, max, init, what) int name = init;
    TR_NUMBER_WORDS(TR_FIELD)
#undef TR_FIELD
};

Device device;

void log_line(const std::string &line)
{
    if (device.log_fd == -1)
        return;
    const std::string text = line + '\n';
    // One write per line on an O_APPEND descriptor keeps lines whole.
    if (write(device.log_fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        perror("regsim: log");
}

std::string logged_bytes(const char *buf, size_t size)
{
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        char byte[4];
        (void)snprintf(byte, sizeof byte, " %02x", static_cast<unsigned char>(buf[i]));
        out += byte;
    }
    return out;
}

// The register a whole-word transfer addresses, or -1.
long register_at(off_t pos, size_t size)
{
    if (pos < 0 || static_cast<uint64_t>(pos) >= device.registers.size() || size != word_size)
        return -1;
    return static_cast<long>(pos);
}

int sim_getattr(const char *path, struct stat *st, struct fuse_file_info * /*fi*/)
{
    if (strcmp(path, "/") != 0)
        return -ENOENT;
    memset(st, 0, sizeof *st);
    st->st_mode = S_IFREG | 0666;
    st->st_nlink = 1;
    st->st_uid = getuid();
    st->st_gid = getgid();
    st->st_size = static_cast<off_t>(device.registers.size());
    return 0;
}

int sim_open(const char * /*path*/, struct fuse_file_info *fi)
{
    log_line(std::string("open ") + tr_open_mode(static_cast<unsigned>(fi->flags)));
    if (device.fail_open)
        return -device.fail_open;
    // Every transfer must reach us with the caller's own position and size.
    fi->direct_io = 1;
    return 0;
}

// A transfer's result, with its injected fault (fail_*, short_*) if any.
int faulted(int error, int short_count, size_t size)
{
    if (error)
        return -error;
    if (short_count >= 0 && static_cast<size_t>(short_count) < size)
        return short_count;
    return static_cast<int>(size);
}

int sim_read(const char * /*path*/, char *buf, size_t size, off_t pos, struct fuse_file_info * /*fi*/)
{
    log_line("read " + std::to_string(pos) + ' ' + std::to_string(size));
    const long reg = register_at(pos, size);
    if (reg == -1)
        return -EINVAL;
    const int result = faulted(device.fail_read, device.short_read, size);
    if (result > 0)
        memcpy(buf, &device.registers[reg], static_cast<size_t>(result));
    return result;
}

int sim_write(const char * /*path*/, const char *buf, size_t size, off_t pos, struct fuse_file_info * /*fi*/)
{
    log_line("write " + std::to_string(pos) + ' ' + std::to_string(size) +
             logged_bytes(buf, std::min(size, size_t{TR_MAX_LOGGED})));
    const long reg = register_at(pos, size);
    if (reg == -1)
        return -EINVAL;
    const int result = faulted(device.fail_write, device.short_write, size);
    // A short write stores nothing: a register takes a whole word or none.
    if (result == static_cast<int>(size))
        memcpy(&device.registers[reg], buf, size);
    return result;
}

// The kernel calls flush on every close(2) and hands its error to the caller.
int sim_flush(const char * /*path*/, struct fuse_file_info * /*fi*/)
{
    log_line("close");
    return -device.fail_close;
}

void *sim_init(struct fuse_conn_info * /*conn*/, struct fuse_config *cfg)
{
    cfg->direct_io = 1;
    cfg->attr_timeout = 0;
    cfg->entry_timeout = 0;
    return nullptr;
}

// The usage; with --help, the words, as test_registers.h says them.
[[noreturn]] void usage(int status)
{
    FILE *to = status ? stderr : stdout;
    (void)fputs("usage: regsim [-l|--log PATH] [--ready-fd FD] [WORD]... FILE (regsim --help lists the words)\n", to);
    // lax_seek's text is the driver's: a file cannot refuse a seek.
#define TR_USAGE(name, mode, min, max, init, what) \
    (void)fprintf(to, "  %-14s %s\n", #name "=N", strcmp(#name, "lax_seek") ? (what) : "1 only: a file takes any seek");
    if (status == 0) {
        TR_NUMBER_WORDS(TR_USAGE)
        (void)fprintf(to, "  %-14s %s\n", "values=W0,...", TR_VALUES_WHAT);
    }
#undef TR_USAGE
    exit(status);
}

// A word refused: one line, naming it, and why.
[[noreturn]] void refuse(const char *word, const char *why)
{
    (void)fprintf(stderr, "regsim: %s refused: %s\n", word, why);
    exit(2);
}

// A number as the driver reads one (kstrtoint; kstrtou32 for values): the
// tool's grammar less what the kernel refuses (space before, a sign before
// 0x, a minus where unsigned), a newline after allowed; in [min, max], or
// WORD is refused.
int64_t kernel_number(const char *word, const char *text, bool is_signed, int64_t min, int64_t max)
{
    std::string number = text;
    if (!number.empty() && number.back() == '\n')
        number.pop_back();
    const char *p = number.c_str();
    const bool sign = *p == '+' || *p == '-';
    int64_t value = 0;
    if (std::isspace(static_cast<unsigned char>(*p)) != 0 || (*p == '-' && !is_signed) ||
        (sign && p[1] == '0' && (p[2] == 'x' || p[2] == 'X')) || !parse_number(p, min, max, &value))
        refuse(word, ("not a number from " + std::to_string(min) + " to " + std::to_string(max)).c_str());
    return value;
}

// values=W0,W1,...: the registers' words, the rest 0; how many. As the
// driver does, space around the list is dropped.
size_t set_values(const char *word, char *list)
{
    device.registers.assign(TR_MAX_REGS, 0);
    // White space as the C locale has it; regsim never changes locale.
    const auto is_space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (is_space(*list))
        ++list;
    for (size_t end = strlen(list); end > 0 && is_space(list[end - 1]);)
        list[--end] = '\0';
    if (*list == '\0')
        return 0;
    size_t count = 0;
    for (char *cursor = list, *item = nullptr; (item = strsep(&cursor, ",")) != nullptr; ++count) {
        if (count == TR_MAX_REGS)
            refuse(word, "more words than 1024 registers");
        device.registers[count] = static_cast<uint32_t>(kernel_number(word, item, false, 0, UINT32_MAX));
    }
    return count;
}

// One parameter word, NAME=VALUE, as the driver takes it.
void set_word(char *word, size_t *nvalues)
{
    const struct {
        const char *name;
        int *value;
        int min, max;
    } words[] = {
#define TR_ENTRY(name, mode, min, max, init, what) {#name, &device.name, min, max},
        TR_NUMBER_WORDS(TR_ENTRY)
#undef TR_ENTRY
    };
    // The word as given, for a refusal: its name is cut off below.
    const std::string given = word;
    char *value = strchr(word, '=');
    if (value == nullptr)
        refuse(given.c_str(), "a word is NAME=VALUE");
    *value++ = '\0';
    if (strcmp(word, "values") == 0) {
        *nvalues = set_values(given.c_str(), value);
        return;
    }
    for (const auto &known : words) {
        if (strcmp(word, known.name) == 0) {
            *known.value = static_cast<int>(kernel_number(given.c_str(), value, true, known.min, known.max));
            if (known.value == &device.lax_seek && device.lax_seek != 1)
                refuse(given.c_str(), "a file cannot refuse a seek, so the device always acts as lax_seek=1");
            return;
        }
    }
    refuse(given.c_str(), "no such word (regsim --help lists them)");
}

}  // namespace

int main(int argc, char *argv[])
{
    enum { ready_fd = 256 };
    static const struct option options[] = {
        {"log", required_argument, nullptr, 'l'},
        {"ready-fd", required_argument, nullptr, ready_fd},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    int ready = -1;
    for (int c; (c = getopt_long(argc, argv, "l:h", options, nullptr)) != -1;) {
        switch (c) {
        case 'l':
            device.log_fd = open(optarg, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
            if (device.log_fd == -1) {
                perror(optarg);
                return 1;
            }
            break;
        case ready_fd:
            if (int64_t fd = 0; parse_number(optarg, 0, 1 << 20, &fd))
                ready = static_cast<int>(fd);
            else
                refuse(optarg, "not a descriptor for --ready-fd");
            break;
        case 'h': usage(0);
        default: usage(2);
        }
    }
    if (optind >= argc)
        usage(2);
    // The words in any order, as a module's: nregs is known once all are read.
    size_t nvalues = 0;
    device.registers.assign(TR_MAX_REGS, 0);
    for (int i = optind; i < argc - 1; ++i)
        set_word(argv[i], &nvalues);
    const auto nregs = static_cast<size_t>(device.nregs);
    if (nvalues > nregs) {
        (void)fprintf(stderr, "regsim: %zu values for %zu registers\n", nvalues, nregs);
        return 2;
    }
    device.registers.resize(nregs);
    const char *file = argv[argc - 1];

    struct fuse_operations ops = {};
    ops.getattr = sim_getattr;
    ops.open = sim_open;
    ops.read = sim_read;
    ops.write = sim_write;
    ops.flush = sim_flush;
    ops.init = sim_init;

    char prog[] = "regsim";
    char opt[] = "-o";
    char mount_options[] = "fsname=regsim,subtype=regsim";
    char *fuse_argv[] = {prog, opt, mount_options, nullptr};
    struct fuse_args args = FUSE_ARGS_INIT(3, fuse_argv);
    struct fuse *fuse = fuse_new(&args, &ops, sizeof ops, nullptr);
    fuse_opt_free_args(&args);
    if (fuse == nullptr)
        return 1;
    if (fuse_mount(fuse, file) != 0) {
        fuse_destroy(fuse);
        return 1;
    }
    // A shell starts background jobs with SIGINT ignored, and libfuse takes
    // over only signals at their default: it stops on each, however started.
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        (void)signal(sig, SIG_DFL);
    int status = 1;
    if (fuse_set_signal_handlers(fuse_get_session(fuse)) == 0) {
        if (ready != -1) {
            if (write(ready, "ready\n", 6) != 6)
                perror("regsim: ready");
            close(ready);
        }
        // A stop by signal is a clean stop: fuse_loop() then returns the signal.
        status = fuse_loop(fuse) < 0 ? 1 : 0;
        fuse_remove_signal_handlers(fuse_get_session(fuse));
    }
    fuse_unmount(fuse);
    fuse_destroy(fuse);
    return status;
}
