// Splits diagnostic text (trace files, call summaries) into lines so tests can compare it line
// by line; each line keeps its '\n', and a last line without one shows up as such.
#pragma once

#include <string>
#include <vector>

namespace mora::test {

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start + 1));
        start = end + 1;
    }
    return lines;
}

}  // namespace mora::test
