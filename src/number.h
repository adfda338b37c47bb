// SPDX-License-Identifier: MIT
// The one conversion every number on the command line goes through.
#pragma once

#include <stdint.h>

// Converts the whole of TEXT, or refuses it. Accepted: leading white space,
// one optional sign, then decimal digits (leading zeros stay decimal) or
// "0x"/"0X" and hexadecimal digits, and nothing after. Returns true and sets
// *value when the number lies within [min, max]; returns false otherwise,
// leaving *value alone. Bounds must lie strictly within +/- 2^59.
bool parse_number(const char *text, int64_t min, int64_t max, int64_t *value);
