#include "speech/linux/speechd_voice.h"

#include <libspeechd.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstring>

#include "platform/linux/shared_library.h"
#include "platform/text.h"

namespace kel::posix {

namespace {

// The functions of libspeechd the engine calls, looked up on the connecting
// thread (see platform/linux/shared_library.h).
#define KEL_SPEECHD_FUNCTIONS(X) X(free_spd_modules) X(spd_cancel) X(spd_close) \
    X(spd_list_modules) X(spd_open) X(spd_say) X(spd_set_language) X(spd_set_notification_on) \
    X(spd_set_output_module)

struct SpeechdApi {
#define KEL_POINTER(name) decltype(&::name) name;
    KEL_SPEECHD_FUNCTIONS(KEL_POINTER)
#undef KEL_POINTER
};
const SpeechdApi* lib = nullptr;  // set before any connection exists

const SpeechdApi* OpenSpeechd() {
    return OpenLibraryOnce<SpeechdApi>("libspeechd.so.2", [](SpeechdApi& api, auto find) {
        bool all = true;
#define KEL_FIND(name) all = all && (api.name = reinterpret_cast<decltype(&::name)>(find(#name)));
        KEL_SPEECHD_FUNCTIONS(KEL_FIND)
#undef KEL_FIND
        return all;
    });
}

// libspeechd's event callbacks carry no context; there is one engine.
std::atomic<SpeechDispatcherEngine*> gEngine{nullptr};

SPDConnection* Spd(void* connection) { return static_cast<SPDConnection*>(connection); }

bool HasModule(SPDConnection* connection, const char* name) {
    char** modules = lib->spd_list_modules(connection);
    if (!modules) return false;
    bool found = false;
    for (char** m = modules; *m; ++m) found = found || std::strcmp(*m, name) == 0;
    lib->free_spd_modules(modules);
    return found;
}

void OnFinished(std::size_t messageId, std::size_t, SPDNotificationType) {
    if (SpeechDispatcherEngine* engine = gEngine) engine->MessageFinished(messageId);
}

}  // namespace

SpeechDispatcherEngine::~SpeechDispatcherEngine() {
    Stop();
    if (connecting_.joinable()) connecting_.join();
    std::lock_guard<std::mutex> calls(calls_);
    if (connection_) lib->spd_close(Spd(connection_));
    if (gEngine == this) gEngine = nullptr;
}

bool SpeechDispatcherEngine::Create() {
    std::lock_guard<std::mutex> lock(state_);
    if (link_ != Link::Idle || gEngine) return false;
    gEngine = this;
    link_ = Link::Connecting;  // the thread starts with the first saying
    return true;
}

bool SpeechDispatcherEngine::SelectVoice(const std::u16string& requiredAttributes) {
    std::lock_guard<std::mutex> lock(state_);
    wantJapanese_ = requiredAttributes == SpeechSession::kJapaneseVoice;
    return true;
}

// The thread takes none of the program's signals (SIGTERM belongs to the
// host's loop); neither do libspeechd's own threads, started from it.
void SpeechDispatcherEngine::StartConnecting() {
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
    connecting_ = std::thread([this] { Connect(); });
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

// On the connecting thread. spd_open starts the server when none runs.
void SpeechDispatcherEngine::Connect() {
    lib = OpenSpeechd();
    SPDConnection* connection =
        lib ? lib->spd_open("kel", "saying", nullptr, SPD_MODE_THREADED) : nullptr;
    bool usable = connection != nullptr;
    if (usable) {
        bool japanese;
        {
            std::lock_guard<std::mutex> lock(state_);
            japanese = wantJapanese_;
        }
        usable = !japanese || (HasModule(connection, "openjtalk") &&
                               lib->spd_set_output_module(connection, "openjtalk") == 0 &&
                               lib->spd_set_language(connection, "ja") == 0);
        if (usable) {
            connection->callback_end = connection->callback_cancel = OnFinished;
            usable = lib->spd_set_notification_on(connection, SPD_END) == 0 &&
                     lib->spd_set_notification_on(connection, SPD_CANCEL) == 0;
        }
        if (!usable) {
            lib->spd_close(connection);
            connection = nullptr;
        }
    }
    std::string waiting;
    bool hasWaiting;
    {
        std::lock_guard<std::mutex> calls(calls_);
        connection_ = connection;
        std::lock_guard<std::mutex> lock(state_);
        link_ = usable ? Link::Ready : Link::Missing;
        hasWaiting = hasWaiting_ && usable;
        waiting.swap(waiting_);
        hasWaiting_ = false;
        saying_ = hasWaiting;  // still "speaking" until the say below is made
        changed_.notify_all();
    }
    if (hasWaiting) Say(waiting);
}

bool SpeechDispatcherEngine::Speak(const std::u16string& text, long flags) {
    std::string utf8 = Utf16ToUtf8(text);
    {
        std::lock_guard<std::mutex> lock(state_);
        switch (link_) {
        case Link::Idle:
        case Link::Missing:
            return false;
        case Link::Connecting:
            // The newest saying replaces one still waiting, as a purge would.
            waiting_ = std::move(utf8);
            hasWaiting_ = true;
            if (!connecting_.joinable()) StartConnecting();
            return true;
        case Link::Ready:
            saying_ = true;
            break;
        }
    }
    if (flags & SpeechSession::kPurgeBeforeSpeak) {
        std::lock_guard<std::mutex> calls(calls_);
        lib->spd_cancel(Spd(connection_));
    }
    Say(utf8);
    return true;
}

// saying_ is set by the caller; this clears it once the server has the text.
// A Stop that came in between clears it first, and then nothing is said.
void SpeechDispatcherEngine::Say(const std::string& utf8) {
    std::lock_guard<std::mutex> calls(calls_);
    {
        std::lock_guard<std::mutex> lock(state_);
        if (!saying_) return;
    }
    const int id = connection_ ? lib->spd_say(Spd(connection_), SPD_TEXT, utf8.c_str()) : -1;
    std::lock_guard<std::mutex> lock(state_);
    if (id > 0) lastSaid_ = static_cast<std::size_t>(id);
    saying_ = false;
    changed_.notify_all();
}

// Message ids grow, so a saying has ended once an id at least as high as
// its own has ended or been cancelled; an end event that overtakes the
// answer to spd_say is handled as well.
void SpeechDispatcherEngine::MessageFinished(std::size_t messageId) {
    std::lock_guard<std::mutex> lock(state_);
    if (messageId > lastFinished_) lastFinished_ = messageId;
    changed_.notify_all();
}

bool SpeechDispatcherEngine::SpeakingLocked() const {
    if (link_ == Link::Missing || link_ == Link::Idle) return false;
    return hasWaiting_ || saying_ || lastSaid_ > lastFinished_;
}

bool SpeechDispatcherEngine::WaitUntilDone(std::uint32_t limitMs) {
    std::unique_lock<std::mutex> lock(state_);
    return changed_.wait_for(lock, std::chrono::milliseconds(limitMs),
                             [this] { return !SpeakingLocked(); });
}

void SpeechDispatcherEngine::Stop() {
    bool ready;
    {
        std::lock_guard<std::mutex> lock(state_);
        hasWaiting_ = false;
        waiting_.clear();
        saying_ = false;
        lastFinished_ = lastSaid_;
        ready = link_ == Link::Ready;
        changed_.notify_all();
    }
    if (!ready) return;
    std::lock_guard<std::mutex> calls(calls_);
    if (connection_) lib->spd_cancel(Spd(connection_));
}

}  // namespace kel::posix
