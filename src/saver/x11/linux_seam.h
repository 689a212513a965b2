// The non-window half of the seam on Linux, gathered in one place for the
// host: files, the settings file, the code page, the process; and the
// program's report of an error that nothing handled.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "platform/errors.h"
#include "platform/linux/data_linux.h"
#include "platform/linux/end_signals.h"
#include "platform/linux/messages_linux.h"
#include "platform/linux/process_linux.h"
#include "speech/linux/speechd_voice.h"

namespace kel::x11 {

struct LinuxSeam {
    posix::PosixFiles files;
    posix::PosixProfile profile{files};
    posix::IconvCodec codec;  // phrase files in UTF-8 are told apart by the readers
    posix::PosixProcess process;
};

// Speech runs on its own, and a one-shot run that ends by itself would end a
// moment after the saying was handed over, cutting the greeting off. So then
// (`letFinish`), with Frase_No written, `hide` takes the saver off the
// screen and the voice may finish, for a bounded time; a signal still ends
// the voice and the program at once. Otherwise the voice stops now.
inline void FinishGreeting(posix::SpeechDispatcherSpeaker& speaker, LinuxSeam& seam, bool letFinish,
                           const std::function<void()>& hide) {
    constexpr std::uint32_t kGreetingFinishMs = 30000;
    speaker.session().EndOfRun(letFinish, kGreetingFinishMs, hide, [&] {
        if (!posix::EndSignalArrived()) return;
        speaker.Stop();
        seam.process.EndProgram();
    });
}

// One line on stderr; the caller ends the program with exit code 1.
inline void ReportError(const KelError& error) { posix::ReportStartError(error); }
inline void ReportUnexpected(const char* what) { posix::ReportUnexpectedError(what); }

}  // namespace kel::x11
