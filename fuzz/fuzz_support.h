#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace chronivo::fuzz {

// Stops the run with a message when a documented fact does not hold; libFuzzer counts the abort
// as a crash and saves the input.
inline void Check(bool holds, const char* fact) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", fact);
        std::abort();
    }
}

// The input as a command line's arguments: one per line, lines ended by a NUL or a line feed
// (neither can be part of an argument), so a seed is a readable text file. A terminator at the
// very end ends the last argument; an empty input has none.
inline std::vector<std::string> SplitArguments(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of(std::string_view("\0\n", 2), start);
        if (end == std::string_view::npos) {
            args.emplace_back(bytes.substr(start));
            break;
        }
        args.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

} // namespace chronivo::fuzz
