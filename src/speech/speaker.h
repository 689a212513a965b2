#pragma once

#include <string>

namespace kel {

// Speaks one Japanese text. Returns at once (speech is asynchronous) and
// stops whatever the previous call still says. Every failure is silent.
class Speaker {
public:
    virtual ~Speaker() = default;
    virtual void SpeakText(const std::u16string& text) = 0;
};

}  // namespace kel
