// Element lines made by tests carry the checksum the readers check.
#pragma once
#include <string>

// Column 69 of an element line: the sum of its digits, '-' counting 1, mod 10.
inline char TleChecksum(const std::string& s) {
    int sum = 0;
    for (char c : s) {
        if (c >= '0' && c <= '9') sum += c - '0';
        else if (c == '-') sum += 1;
    }
    return static_cast<char>('0' + sum % 10);
}
