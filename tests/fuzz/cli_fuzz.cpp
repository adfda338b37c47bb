// SPDX-License-Identifier: MIT
// Fuzzes the whole command-line front end against a fake device and an
// oracle written apart from the tool: every outcome (status, standard
// output, standard error, and the request the device receives) must be the
// one the oracle predicts. Its number conversion works over __int128 on
// std::string, unlike the tool's.
//
// Input: 4 bytes, the word the fake device reads back; 1 byte, whether the
// fake device fails (odd) or not; then the argument vector, entries
// separated by NUL bytes (at most 6 entries).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "reg_device.h"

int regrw_main(int argc, char *argv[]);

namespace {

struct FakeDevice {
    int calls = 0;
    reg_request seen{};
    int32_t word = 0;
    bool fail = false;
} fake;

using i128 = __int128;

// The number grammar: white space, one sign, then decimal digits or 0x/0X
// and hexadecimal digits, and nothing else.
bool oracle_number(const std::string &text, i128 min, i128 max, i128 *out)
{
    const size_t start = text.find_first_not_of(" \t\n\v\f\r");
    if (start == std::string::npos)
        return false;
    std::string s = text.substr(start);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.erase(0, 1);
    }
    const bool hex = s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const std::string digits = hex ? s.substr(2) : s;
    const std::string alphabet = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(alphabet) != std::string::npos)
        return false;
    i128 value = 0;
    for (const char c : digits) {
        const int d = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * (hex ? 16 : 10) + d;
        if (value > (static_cast<i128>(1) << 80))
            return false;  // far beyond every bound; stop before overflow
    }
    if (negative)
        value = -value;
    if (value < min || value > max)
        return false;
    *out = value;
    return true;
}

struct Outcome {
    int status = -1;
    std::string out, err;
    bool transfer = false;
    reg_request req{};
};

// An outcome as text, to compare and to show: the written word counts only
// for a write.
std::string describe(const Outcome &o, int transfers)
{
    std::string text = "  status " + std::to_string(o.status) + "\n  stdout [" + o.out + "]\n  stderr [" + o.err +
                       "]\n  transfers " + std::to_string(transfers);
    if (o.transfer)
        text += ", request " + std::to_string(o.req.rw) + " " + std::to_string(o.req.reg_num) +
                (o.req.rw == 0 ? "" : " " + std::to_string(o.req.data));
    return text + "\n";
}

std::string usage_text(const char *prog)
{
    return std::string("Proper usage: ") + prog +
           " <R/W> <REG_NUM> [DATA]\n\tR/W - Read = 0 Write = 1\n\tREG_NUM - [0:2]\n"
           "\tDATA - data to be written to reg\n";
}

Outcome predict(const std::vector<std::string> &args)
{
    Outcome o;
    const size_t argc = args.size();
    const char *prog = argc > 0 && !args[0].empty() ? args[0].c_str() : "regrw";
    o.out = usage_text(prog);
    if (argc < 3 || argc > 4)
        return o;
    i128 rw = 0;
    i128 reg = 0;
    i128 data = 0;
    const i128 i32_min = INT32_MIN;
    const i128 i32_max = INT32_MAX;
    const i128 u32_max = UINT32_MAX;
    if (!oracle_number(args[1], i32_min, i32_max, &rw)) {
        o.err = "invalid R/W: " + args[1] + "\n";
        return o;
    }
    if (!oracle_number(args[2], i32_min, i32_max, &reg)) {
        o.err = "invalid REG_NUM: " + args[2] + "\n";
        return o;
    }
    const bool read_form = argc == 3 && rw == 0;
    const bool write_form = argc == 4 && rw == 1;
    if (!read_form && !write_form)
        return o;
    if (argc == 4 && !oracle_number(args[3], i32_min, u32_max, &data)) {
        o.err = "invalid DATA: " + args[3] + "\n";
        return o;
    }
    o.out.clear();
    o.transfer = true;
    o.req.rw = static_cast<int32_t>(rw);
    o.req.reg_num = static_cast<int32_t>(reg);
    o.req.data = static_cast<int32_t>(static_cast<uint32_t>(data & 0xffffffff));
    if (fake.fail) {
        o.err = "device failed\n";
        return o;
    }
    o.status = 0;
    if (rw == 0) {
        char line[64];
        (void)snprintf(line, sizeof line, "reg%d = 0x%08x\n", static_cast<int>(reg), static_cast<unsigned>(fake.word));
        o.out = line;
    }
    return o;
}

}  // namespace

int reg_transfer(reg_request &req)
{
    ++fake.calls;
    fake.seen = req;
    if (fake.fail) {
        (void)fputs("device failed\n", stderr);
        return -1;
    }
    if (req.rw == 0)
        req.data = fake.word;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (size < 5)
        return 0;
    fake = FakeDevice{};
    memcpy(&fake.word, bytes, 4);
    fake.fail = bytes[4] & 1;

    std::vector<std::string> args;
    const std::string rest(reinterpret_cast<const char *>(bytes + 5), size - 5);
    if (!rest.empty()) {
        for (size_t pos = 0;;) {
            const size_t nul = rest.find('\0', pos);
            args.push_back(rest.substr(pos, nul - pos));
            if (nul == std::string::npos)
                break;
            pos = nul + 1;
        }
    }
    if (args.size() > 6)
        return 0;
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    std::transform(args.begin(), args.end(), std::back_inserter(argv), [](std::string &a) { return a.data(); });
    argv.push_back(nullptr);

    Outcome want = predict(args);
    Outcome got;
    char *out = nullptr;
    char *err = nullptr;
    size_t out_size = 0;
    size_t err_size = 0;
    FILE *const real_out = stdout;
    FILE *const real_err = stderr;
    stdout = open_memstream(&out, &out_size);
    stderr = open_memstream(&err, &err_size);
    got.status = regrw_main(static_cast<int>(args.size()), argv.data());
    (void)fclose(stdout);
    (void)fclose(stderr);
    stdout = real_out;
    stderr = real_err;
    got.out.assign(out, out_size);
    got.err.assign(err, err_size);
    free(out);
    free(err);
    got.transfer = fake.calls != 0;
    got.req = fake.seen;

    if (describe(got, fake.calls) != describe(want, want.transfer ? 1 : 0)) {
        (void)fprintf(stderr, "mismatch for %zu arguments:", args.size());
        for (const std::string &a : args)
            (void)fprintf(stderr, " [%s]", a.c_str());
        (void)fprintf(stderr, "\n%s  wanted:\n%s", describe(got, fake.calls).c_str(),
                      describe(want, want.transfer ? 1 : 0).c_str());
        abort();
    }
    return 0;
}
