// SPDX-License-Identifier: MIT
// Access to the device's registers through its character device node.
#pragma once

#include <stdint.h>

// One register access: what the command asks for and, after a read, the word
// that came back.
struct reg_request {
    int32_t rw;       // 0 read, 1 write
    int32_t reg_num;  // the register number, which is also the device position
    int32_t data;     // the word to write, or the word read
};

// Opens the device node, seeks to reg_num, moves one 4-byte word in host byte
// order (from data for a write, into data for a read) and closes the node.
// Returns 0 when the whole word moved and the node closed cleanly. Otherwise
// it reports one line on standard error, leaves data as it was, and returns -1.
int reg_transfer(reg_request &req);
