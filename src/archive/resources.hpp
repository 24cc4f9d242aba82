#pragma once
// Data carried by the player itself, by name and type (the start-up logo "MADEWITH"/"DATA", an embedded
// game archive "DUMMY"/"BINTYPE"). The executable registers its blobs at start-up; tests register their own.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

class TResourceRegistry {
public:
    // The bytes are not copied: they must outlive the registry (blobs linked into the executable).
    void Add(std::string name, std::string type, std::span<const uint8_t> data);
    // Keeps its own copy of the bytes.
    void AddCopy(std::string name, std::string type, std::vector<uint8_t> data);
    // Names and types compare without regard to case; null when absent.
    const std::span<const uint8_t>* Find(std::string_view name, std::string_view type) const noexcept;

private:
    struct Entry {
        std::string name, type;
        std::span<const uint8_t> data;
        std::vector<uint8_t> owned;
    };
    std::vector<Entry> entries_;
};

} // namespace ruvo
