// Waiting for a length of time by the clock while delivering input as it
// arrives: what the saver's hold needs from any host.
//
// A wait with a short timeout does not last that timeout everywhere: on
// Windows it lasts one timer period (15.6 ms by default), so a hold made of
// many short waits stretches to many times its length. Hence one wait until a
// deadline, which input may interrupt: the input is delivered at once and the
// wait resumes until the same deadline.
#pragma once

#include <cstdint>

namespace kel {

// What a host's event loop offers the deadline loop.
class EventWait {
public:
    virtual ~EventWait() = default;
    // A steady clock, in milliseconds from any origin.
    virtual double NowMs() = 0;
    // Blocks until input is queued or about `timeoutMs` have passed, whichever
    // comes first (it may end a little late, never much early); true when
    // input is queued.
    virtual bool WaitForInput(std::uint32_t timeoutMs) = 0;
    // Delivers every queued input; handlers may end the program from here.
    virtual void DeliverInput() = 0;
};

// Lasts `milliseconds` by `events`' clock from the call, delivering input as
// it arrives. A timed wait that ends early is resumed for the rest; one that
// ends late is not made up for.
void WaitWithDeadline(EventWait& events, std::uint32_t milliseconds);

}  // namespace kel
