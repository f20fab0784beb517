// Fixed-capacity 8-bit string: a length byte and N character bytes, stored
// byte for byte in records that are also file formats.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#pragma pack(push, 1)
template <std::size_t N>
struct ShortString {
    static_assert(N >= 1 && N <= 255);
    uint8_t len;
    char data[N];

    // Writers truncate to N characters.
    void assign(std::string_view s) {
        std::size_t n = std::min(s.size(), N);
        len = static_cast<uint8_t>(n);
        if (n) std::memcpy(data, s.data(), n);
    }
    ShortString& operator=(std::string_view s) { assign(s); return *this; }
    // A garbage length byte from a file never reads past the buffer.
    std::size_t size() const { return std::min<std::size_t>(len, N); }
    std::string_view view() const { return std::string_view(data, size()); }
    std::string str() const { return std::string(view()); }
    bool operator==(std::string_view s) const { return view() == s; }
};
#pragma pack(pop)
