// SPDX-License-Identifier: MIT
#include "number.h"

namespace {

int digit_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// White space as the C locale has it; the tool never changes locale.
bool is_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

bool parse_number(const char *text, int64_t min, int64_t max, int64_t *value)
{
    const char *p = text;
    while (is_space(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }

    // At 2^59 no bound can be met any more, so accumulation stops growing
    // there (one more step stays below 2^63) and an arbitrarily long run of
    // digits cannot overflow.
    constexpr uint64_t ceiling = uint64_t{1} << 59;
    uint64_t magnitude = 0;
    const char *digits = p;
    for (int d; (d = digit_value(*p)) >= 0 && d < base; ++p) {
        if (magnitude < ceiling)
            magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    if (p == digits || *p != '\0' || magnitude >= ceiling)
        return false;

    const int64_t v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (v < min || v > max)
        return false;
    *value = v;
    return true;
}
