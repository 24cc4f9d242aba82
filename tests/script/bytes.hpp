#pragma once
// Hand-made byte fixtures: little-endian integers, bytes and length-prefixed strings.
#include <cstdint>
#include <string>
#include <string_view>

#include "archive/streams.hpp"

namespace ruvo::testing {

struct Bytes {
    std::string b;
    Bytes& i32(int32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& u8(uint8_t v) {
        b += static_cast<char>(v);
        return *this;
    }
    Bytes& str(std::string_view s) {
        i32(static_cast<int32_t>(s.size()));
        b += s;
        return *this;
    }
    Bytes& raw(std::string_view s) {
        b += s;
        return *this;
    }
    // The base record of a command: depth, disabled, cont, line.
    Bytes& base(int32_t depth = 0, uint8_t disabled = 0, uint8_t cont = 1, int32_t line = 1) {
        return i32(depth).u8(disabled).u8(cont).i32(line);
    }
    Bytes& emptyExpr() { return i32(0); }
    // Page header with every mask zero: version, return type, 61 masks of 21 bytes.
    Bytes& pageHeader(int32_t version = 110, uint8_t returnType = 1) {
        i32(version).u8(returnType).i32(61).i32(21);
        b += std::string(61 * 21, '\0');
        return *this;
    }
    TMemoryStream Stream() const { return TMemoryStream(std::vector<uint8_t>(b.begin(), b.end())); }
};

} // namespace ruvo::testing
