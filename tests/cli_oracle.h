// SPDX-License-Identifier: MIT
// The command-line front end against a fake device, and an oracle written
// apart from the tool that predicts every outcome: status, standard output,
// standard error and the request the device receives. Its number conversion
// works over __int128 on std::string, and its escapes with a table of its
// own, unlike the tool's. Shared by the exhaustive conversion test
// (number_test.cpp) and the fuzzer (fuzz/cli_fuzz.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reg_device.h"

namespace oracle {

// The device behind the front end (cli_oracle.cpp's reg_transfer): it
// counts the calls, keeps the request, and answers as set.
struct FakeDevice {
    int calls = 0;
    reg_request seen{};
    int32_t word = 0;  // what a read gets
    bool fail = false;
};
extern FakeDevice fake;

// What the front end must do with ARGS (the argument vector, the program
// name first) against the fake device as it is set, as text to compare and
// to show.
std::string predict(const std::vector<std::string> &args);
// What the front end does with them, as the same text.
std::string run(std::vector<std::string> args);

}  // namespace oracle
