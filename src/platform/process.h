// The process around the program: ending it, its own directory, its resources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kel {

class Process {
public:
    virtual ~Process() = default;

    // Ends the process at once; nothing runs afterwards. (The unit-test fake
    // throws ProgramEnded so that a test can look at what happened.)
    [[noreturn]] virtual void EndProgram() = 0;

    // The directory of the program file, without a trailing backslash.
    virtual std::u16string ProgramDirectory() const = 0;

    // The bytes of the program's resource of type "CUSTOM" with this id.
    // Throws KelError(ResourceMissing) when there is none.
    virtual std::vector<std::uint8_t> LoadCustomResource(int id) const = 0;
};

}  // namespace kel
