// SPDX-License-Identifier: MIT
// The command-line front end against a fake device, and an oracle written
// apart from the tool (__int128 on std::string, escapes by a table) that
// predicts every outcome: status, streams and the request the device gets.
// number_test: the conversion at its boundaries, every short string and long
// arguments; with REGRW_FUZZ, the fuzzer's entry (fuzz.sh).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "reg_device.h"

// The tool's main, built under this name beside the tests.
int regrw_main(int argc, char *argv[]);

namespace {

// The device behind the front end (reg_transfer, below).
struct FakeDevice {
    int calls = 0;
    reg_request seen{};
    int32_t word = 0;  // what a read gets
    bool fail = false;
} fake;

using i128 = __int128;

// The tool's number grammar: white space, one sign, then decimal digits or
// 0x/0X and hexadecimal digits, nothing else.
bool expected_number(const std::string &text, i128 min, i128 max, i128 *out)
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

// An argument as a refusal shows it: printable ASCII as it is, a backslash
// doubled, C's letter escapes, and three octal digits for any other byte.
std::string shown(const std::string &text)
{
    static const std::string bytes = "\a\b\t\n\v\f\r";
    static const std::string letters = "abtnvfr";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else if (const size_t at = bytes.find(c); at != std::string::npos) {
            out += {'\\', letters[at]};
        } else {
            char octal[5];
            (void)snprintf(octal, sizeof octal, "\\%03o", byte);
            out += octal;
        }
    }
    return out;
}

// An outcome as text, to compare and to show (the word only for a write).
std::string outcome(int status, const std::string &out, const std::string &err, int transfers,
                    const reg_request &req)
{
    std::string text = "  status " + std::to_string(status) + "\n  stdout [" + out + "]\n  stderr [" + err +
                       "]\n  transfers " + std::to_string(transfers);
    if (transfers != 0) {
        text += ", request " + std::to_string(req.rw) + " " + std::to_string(req.reg_num);
        if (req.rw != 0)
            text.append(" ").append(std::to_string(req.data));
    }
    return text + "\n";
}

// The usage text for program NAME, as the suites expect it too: the file
// tests/usage after its licence line, with %s for the name.
std::string usage_text(const std::string &name)
{
    static const std::string format = [] {
        std::ifstream in(REGRW_USAGE_FILE);
        std::string licence;
        std::getline(in, licence);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const size_t at = format.find("%s");
    return format.substr(0, at) + name + format.substr(at + 2);
}

// What the front end must do with ARGS (argv) against the fake device.
std::string predict(const std::vector<std::string> &args)
{
    const size_t argc = args.size();
    const std::string usage = usage_text(argc > 0 && !args[0].empty() ? args[0] : std::string("regrw"));
    const auto refused = [&usage](const std::string &err) { return outcome(-1, usage, err, 0, {}); };
    i128 rw = 0;
    i128 reg = 0;
    i128 data = 0;
    if (argc < 3 || argc > 4)
        return refused("");
    if (!expected_number(args[1], INT32_MIN, INT32_MAX, &rw))
        return refused("invalid R/W: " + shown(args[1]) + "\n");
    if (!expected_number(args[2], INT32_MIN, INT32_MAX, &reg))
        return refused("invalid REG_NUM: " + shown(args[2]) + "\n");
    if ((argc != 3 || rw != 0) && (argc != 4 || rw != 1))
        return refused("");
    if (argc == 4 && !expected_number(args[3], INT32_MIN, UINT32_MAX, &data))
        return refused("invalid DATA: " + shown(args[3]) + "\n");
    const reg_request req{static_cast<int32_t>(rw), static_cast<int32_t>(reg),
                          static_cast<int32_t>(static_cast<uint32_t>(data & 0xffffffff))};
    if (fake.fail)
        return outcome(-1, "", "device failed\n", 1, req);
    char line[64] = "";
    if (rw == 0)
        (void)snprintf(line, sizeof line, "reg%d = 0x%08x\n", static_cast<int>(reg), static_cast<unsigned>(fake.word));
    return outcome(0, line, "", 1, req);
}

// What it does with them. Its streams are made once, for millions of runs.
std::string run(std::vector<std::string> args)
{
    static char *out = nullptr;
    static char *err = nullptr;
    static size_t out_size = 0;
    static size_t err_size = 0;
    static FILE *const out_stream = open_memstream(&out, &out_size);
    static FILE *const err_stream = open_memstream(&err, &err_size);
    fake.calls = 0;
    fake.seen = {};
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    rewind(out_stream);
    rewind(err_stream);
    FILE *const real_out = stdout;
    FILE *const real_err = stderr;
    stdout = out_stream;
    stderr = err_stream;
    const int status = regrw_main(static_cast<int>(args.size()), argv.data());
    (void)fflush(out_stream);
    (void)fflush(err_stream);
    stdout = real_out;
    stderr = real_err;
    return outcome(status, std::string(out, out_size), std::string(err, err_size), fake.calls, fake.seen);
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

#ifdef REGRW_FUZZ
// Input: 4 bytes, the word the fake device reads; 1 byte, odd where it
// fails; then up to 6 arguments, separated by NUL bytes.
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
    const std::string want = predict(args);
    const std::string got = run(args);
    if (got != want) {
        (void)fprintf(stderr, "mismatch for %zu arguments:", args.size());
        for (const std::string &a : args)
            (void)fprintf(stderr, " [%s]", a.c_str());
        (void)fprintf(stderr, "\n%s  wanted:\n%s", got.c_str(), want.c_str());
        abort();
    }
    return 0;
}
#else
#include <gtest/gtest.h>

#include "number.h"

namespace {

// The conversion at its boundaries: what is accepted, and as what.
constexpr int64_t i32_min = INT32_MIN, i32_max = INT32_MAX, u32_max = UINT32_MAX;

struct Case {
    const char *text;
    int64_t min, max;
    bool accepted;
    int64_t value;
};

const Case cases[] = {
    // decimal, with leading zeros kept decimal
    {"0", i32_min, i32_max, true, 0},
    {"07", i32_min, i32_max, true, 7},
    {"010", i32_min, i32_max, true, 10},
    {"08", i32_min, i32_max, true, 8},
    {"000000000000000000000000000001", i32_min, i32_max, true, 1},
    // white space and one sign
    {" \t\n\v\f\r42", i32_min, i32_max, true, 42},
    {"+5", i32_min, i32_max, true, 5},
    {"-5", i32_min, i32_max, true, -5},
    {"-0", i32_min, i32_max, true, 0},
    {"--5", i32_min, i32_max, false, 0},
    {"+-5", i32_min, i32_max, false, 0},
    {"- 5", i32_min, i32_max, false, 0},
    // hexadecimal, either case, with a sign too
    {"0x10", i32_min, i32_max, true, 16},
    {"0X1f", i32_min, i32_max, true, 31},
    {"0xABCDEF", i32_min, i32_max, true, 0xabcdef},
    {"-0x1", i32_min, i32_max, true, -1},
    {"0x", i32_min, i32_max, false, 0},
    {"0xg", i32_min, i32_max, false, 0},
    {"00x1", i32_min, i32_max, false, 0},
    {"x10", i32_min, i32_max, false, 0},
    {"ff", i32_min, i32_max, false, 0},
    // whole text or nothing
    {"", i32_min, i32_max, false, 0},
    {" ", i32_min, i32_max, false, 0},
    {"+", i32_min, i32_max, false, 0},
    {"12abc", i32_min, i32_max, false, 0},
    {"12 ", i32_min, i32_max, false, 0},
    {"1.0", i32_min, i32_max, false, 0},
    {"1e3", i32_min, i32_max, false, 0},
    // signed 32-bit bounds
    {"2147483647", i32_min, i32_max, true, i32_max},
    {"2147483648", i32_min, i32_max, false, 0},
    {"-2147483648", i32_min, i32_max, true, i32_min},
    {"-2147483649", i32_min, i32_max, false, 0},
    {"0x7fffffff", i32_min, i32_max, true, i32_max},
    {"0x80000000", i32_min, i32_max, false, 0},
    {"-0x80000000", i32_min, i32_max, true, i32_min},
    // DATA's bounds: any 32-bit word, as signed or unsigned
    {"4294967295", i32_min, u32_max, true, u32_max},
    {"4294967296", i32_min, u32_max, false, 0},
    {"0xffffffff", i32_min, u32_max, true, u32_max},
    {"0x100000000", i32_min, u32_max, false, 0},
    {"-2147483648", i32_min, u32_max, true, i32_min},
    // far out of range: never wraps back into range
    {"18446744073709551616", i32_min, u32_max, false, 0},
    {"18446744073709551617", i32_min, u32_max, false, 0},
    {"0x10000000000000001", i32_min, u32_max, false, 0},
    {"-9223372036854775808", i32_min, u32_max, false, 0},
    {"99999999999999999999999999999999999999", i32_min, u32_max, false, 0},
};

TEST(ParseNumber, Table)
{
    for (const Case &c : cases) {
        int64_t value = -12345;
        const bool accepted = parse_number(c.text, c.min, c.max, &value);
        EXPECT_EQ(accepted, c.accepted) << '"' << c.text << '"';
        // A refusal leaves the output alone.
        EXPECT_EQ(value, c.accepted ? c.value : -12345) << '"' << c.text << '"';
    }
}

}  // namespace

// Every string of up to 5 characters over the grammar's own and each digit
// range's neighbours, as DATA (whose word shows the value whole), converted
// or refused as the oracle says.
TEST(Conversion, EveryShortString)
{
    const std::string alphabet = "019afAFxX+- \t/:@G`g";
    fake = FakeDevice{};
    std::string text;
    long mismatches = 0;
    long runs = 0;
    // text counts through every string, the first character turning fastest.
    for (;;) {
        const std::vector<std::string> args{"regrw", "1", "0", text};
        ++runs;
        const std::string want = predict(args);
        const std::string got = run(args);
        if (got != want && ++mismatches <= 5)
            ADD_FAILURE() << "regrw 1 0 [" << text << "]:\n" << got << "  wanted:\n" << want;
        size_t i = 0;
        while (i < text.size() && text[i] == alphabet.back())
            text[i++] = alphabet.front();
        if (i == text.size()) {
            if (text.size() == 5)
                break;
            text += alphabet.front();
        } else {
            text[i] = alphabet[alphabet.find(text[i]) + 1];
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << runs << " runs";
}

// Arguments longer than the refusal's line buffer: a run of each kind of
// escape at every position around where it is written out, in each
// argument, with and without a tail; and one of every byte, many times over.
TEST(Conversion, LongArguments)
{
    fake = FakeDevice{};
    std::vector<std::string> texts;
    for (const char c : {'\033', '\\', '\n', 'x'})
        for (size_t at = 200; at < 560; ++at)
            for (const size_t tail : {0, 40})
                texts.push_back(std::string(at, '1') + std::string(9, c) + std::string(tail, '2'));
    std::string every;
    for (int i = 0; i < 40 * 255; ++i)
        every += static_cast<char>(i % 255 + 1);
    texts.push_back(every);
    long mismatches = 0;
    for (const std::string &text : texts) {
        for (const auto &args : {std::vector<std::string>{"regrw", text, "0"}, {"regrw", "0", text},
                                 {"regrw", "1", "0", text}}) {
            const std::string want = predict(args);
            const std::string got = run(args);
            if (got != want && ++mismatches <= 3)
                ADD_FAILURE() << "an argument of " << text.size() << " bytes:\n" << got << "  wanted:\n" << want;
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << texts.size() * 3 << " runs";
}
#endif
