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
    size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return false;
    const bool negative = text[i] == '-';
    i += static_cast<size_t>(negative || text[i] == '+');
    const bool hex = text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0;
    const std::string digits = text.substr(i + (hex ? 2 : 0));
    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
        return false;
    i128 value = 0;
    for (const char c : digits) {
        value = value * (hex ? 16 : 10) + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
        if (value > (static_cast<i128>(1) << 80))
            return false;  // far beyond every bound; stop before overflow
    }
    value = negative ? -value : value;
    if (value < min || value > max)
        return false;
    *out = value;
    return true;
}

// An outcome as text, to compare and to show: the written word counts only
// for a write.
std::string outcome(int status, const std::string &out, const std::string &err, int transfers, const reg_request &req)
{
    std::string text = "  status " + std::to_string(status) + "\n  stdout [" + out + "]\n  stderr [" + err +
                       "]\n  transfers " + std::to_string(transfers);
    if (transfers != 0)
        text += ", request " + std::to_string(req.rw) + " " + std::to_string(req.reg_num) +
                (req.rw == 0 ? "" : " " + std::to_string(req.data));
    return text + "\n";
}

std::string predict(const std::vector<std::string> &args)
{
    const size_t argc = args.size();
    const std::string usage = "Proper usage: " + (argc > 0 && !args[0].empty() ? args[0] : std::string("regrw")) +
                              " <R/W> <REG_NUM> [DATA]\n\tR/W - Read = 0 Write = 1\n\tREG_NUM - [0:2]\n"
                              "\tDATA - data to be written to reg\n";
    const auto refused = [&usage](const std::string &err) { return outcome(-1, usage, err, 0, {}); };
    const i128 i32_min = INT32_MIN;
    const i128 i32_max = INT32_MAX;
    i128 rw = 0;
    i128 reg = 0;
    i128 data = 0;
    if (argc < 3 || argc > 4)
        return refused("");
    if (!oracle_number(args[1], i32_min, i32_max, &rw))
        return refused("invalid R/W: " + args[1] + "\n");
    if (!oracle_number(args[2], i32_min, i32_max, &reg))
        return refused("invalid REG_NUM: " + args[2] + "\n");
    if ((argc != 3 || rw != 0) && (argc != 4 || rw != 1))
        return refused("");
    if (argc == 4 && !oracle_number(args[3], i32_min, UINT32_MAX, &data))
        return refused("invalid DATA: " + args[3] + "\n");
    const reg_request req{static_cast<int32_t>(rw), static_cast<int32_t>(reg),
                          static_cast<int32_t>(static_cast<uint32_t>(data & 0xffffffff))};
    if (fake.fail)
        return outcome(-1, "", "device failed\n", 1, req);
    char line[64] = "";
    if (rw == 0)
        (void)snprintf(line, sizeof line, "reg%d = 0x%08x\n", static_cast<int>(reg), static_cast<unsigned>(fake.word));
    return outcome(0, line, "", 1, req);
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
    for (size_t pos = 0, nul = 0; !rest.empty() && nul != std::string::npos; pos = nul + 1) {
        nul = rest.find('\0', pos);
        args.push_back(rest.substr(pos, nul - pos));
    }
    if (args.size() > 6)
        return 0;
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    std::transform(args.begin(), args.end(), std::back_inserter(argv), [](std::string &a) { return a.data(); });
    argv.push_back(nullptr);

    const std::string want = predict(args);
    char *out = nullptr;
    char *err = nullptr;
    size_t out_size = 0;
    size_t err_size = 0;
    FILE *const real_out = stdout;
    FILE *const real_err = stderr;
    stdout = open_memstream(&out, &out_size);
    stderr = open_memstream(&err, &err_size);
    const int status = regrw_main(static_cast<int>(args.size()), argv.data());
    (void)fclose(stdout);
    (void)fclose(stderr);
    stdout = real_out;
    stderr = real_err;
    const std::string got = outcome(status, std::string(out, out_size), std::string(err, err_size), fake.calls, fake.seen);
    free(out);
    free(err);
    if (got != want) {
        (void)fprintf(stderr, "mismatch for %zu arguments:", args.size());
        for (const std::string &a : args)
            (void)fprintf(stderr, " [%s]", a.c_str());
        (void)fprintf(stderr, "\n%s  wanted:\n%s", got.c_str(), want.c_str());
        abort();
    }
    return 0;
}
