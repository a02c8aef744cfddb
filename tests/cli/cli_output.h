#pragma once

#include <gmock/gmock.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace frostel::test {

inline void PrintTo(const ProcessResult& result, std::ostream* os) {
    *os << "exit " << result.exit_code << ", out \"" << result.out << "\", err \"" << result.err
        << '"';
}

// A finished run: its exit code, and what it printed on standard output and standard error.
inline auto exits(int code, const testing::Matcher<const std::string&>& out = testing::_,
                  const testing::Matcher<const std::string&>& err = testing::_) {
    return testing::AllOf(testing::Field("exit code", &ProcessResult::exit_code, code),
                          testing::Field("out", &ProcessResult::out, out),
                          testing::Field("err", &ProcessResult::err, err));
}

// `text` cut at each `separator`: n separators make n + 1 parts.
inline std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back().push_back(c);
        }
    }
    return parts;
}

// How often `word` occurs in `text`, not overlapping.
inline int occurrences(const std::string& text, const std::string& word) {
    int n = 0;
    for (std::size_t at = 0; (at = text.find(word, at)) != std::string::npos; at += word.size()) {
        ++n;
    }
    return n;
}

}  // namespace frostel::test
