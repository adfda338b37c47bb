// SPDX-License-Identifier: MIT
// Fuzzes the whole command-line front end against the fake device and the
// oracle of cli_oracle.h: every outcome must be the one it predicts.
//
// Input: 4 bytes, the word the fake device reads back; 1 byte, whether the
// fake device fails (odd) or not; then the argument vector, entries
// separated by NUL bytes (at most 6 entries).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (size < 5)
        return 0;
    oracle::fake = oracle::FakeDevice{};
    memcpy(&oracle::fake.word, bytes, 4);
    oracle::fake.fail = bytes[4] & 1;

    std::vector<std::string> args;
    const std::string rest(reinterpret_cast<const char *>(bytes + 5), size - 5);
    for (size_t pos = 0, nul = 0; !rest.empty() && nul != std::string::npos; pos = nul + 1) {
        nul = rest.find('\0', pos);
        args.push_back(rest.substr(pos, nul - pos));
    }
    if (args.size() > 6)
        return 0;

    const std::string want = oracle::predict(args);
    const std::string got = oracle::run(args);
    if (got != want) {
        (void)fprintf(stderr, "mismatch for %zu arguments:", args.size());
        for (const std::string &a : args)
            (void)fprintf(stderr, " [%s]", a.c_str());
        (void)fprintf(stderr, "\n%s  wanted:\n%s", got.c_str(), want.c_str());
        abort();
    }
    return 0;
}
