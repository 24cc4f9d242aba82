#pragma once
// What the fuzz targets share: the input as a stream, the rule that readers may refuse input only with
// ERuvoError (anything else is a finding), and a check that writing what was read is stable.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/streams.hpp"

namespace ruvo::fuzz {

inline TMemoryStream InputStream(const uint8_t* data, size_t size) {
    return TMemoryStream(std::vector<uint8_t>(data, data + size));
}

// Runs fn; a refusal with the reader's own error is a fine answer to hostile input.
template <class Fn>
bool Refused(Fn&& fn) {
    try {
        fn();
        return false;
    } catch (const ERuvoError&) {
        return true;
    }
}

inline std::string Bytes(TMemoryStream& s) {
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// A writer's output, read back and written again, must give the same bytes.
inline void ExpectStable(const std::string& first, const std::string& second, const char* what) {
    if (first == second) return;
    std::fprintf(stderr, "%s: writing what was read back changed %zu bytes into %zu\n", what, first.size(),
                 second.size());
    std::abort();
}

} // namespace ruvo::fuzz
