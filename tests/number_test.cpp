// SPDX-License-Identifier: MIT
// The number conversion at its boundaries: what is accepted, and as what.
// (cli_oracle.cpp, linked in beside it, goes through every short string.)
#include <gtest/gtest.h>

#include <cstdint>

#include "number.h"

namespace {

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
