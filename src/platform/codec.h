// Code page 932 (Shift-JIS) on disk, UTF-16 in memory.
#pragma once

#include <string>

namespace kel {

class Codec {
public:
    virtual ~Codec() = default;

    // As the system decodes: bytes that are not valid code page 932 become
    // what MultiByteToWideChar makes of them; never fails.
    virtual std::u16string Decode(const std::string& bytes) const = 0;

    // Encodes text; returns false and lists the characters code page 932
    // cannot hold in `unrepresentable` (each once, in order of appearance).
    virtual bool Encode(const std::u16string& text, std::string& bytes,
                        std::u16string* unrepresentable = nullptr) const = 0;
};

}  // namespace kel
