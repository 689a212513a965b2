#include "speech/linux/speechd_voice.h"

#include <libspeechd.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/linux/process_linux.h"
#include "platform/linux/shared_library.h"
#include "platform/text.h"
#include "speech/linux/private_server.h"

namespace kel::posix {

namespace {

// The functions of libspeechd the engine calls, looked up on the voice
// thread (see platform/linux/shared_library.h).
#define KEL_SPEECHD_FUNCTIONS(X) X(free_spd_modules) X(spd_cancel) X(spd_list_modules) \
    X(spd_open2) X(spd_say) X(spd_set_language) X(spd_set_notification_on) \
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

// How long a private server may take to open its socket.
constexpr auto kServerStartLimit = std::chrono::seconds(10);

}  // namespace

struct SpeechDispatcherEngine::Shared {
    enum class Link { Idle, Connecting, Ready, Missing };

    std::mutex mutex;
    std::condition_variable changed;  // for the saver's waits and the voice thread's
    Link link = Link::Idle;
    bool wantJapanese = false;
    bool threadStarted = false;
    bool quit = false;
    // Requests for the voice thread.
    std::string text;        // the newest saying, said after a purge
    bool hasText = false;
    bool cancel = false;
    // What is being said.
    bool saying = false;           // handed over, and spd_say has not answered yet
    unsigned stops = 0;            // Stop calls so far: a say they overtook is no longer wanted
    std::size_t lastSaid = 0;      // message ids grow; the last one the server took
    std::size_t lastFinished = 0;  // and the highest one ended or cancelled

    bool SpeakingLocked() const {
        if (link == Link::Missing || link == Link::Idle) return false;
        return hasText || saying || lastSaid > lastFinished;
    }
    void Finished(std::size_t messageId) {
        std::lock_guard<std::mutex> lock(mutex);
        if (messageId > lastFinished) lastFinished = messageId;
        changed.notify_all();
    }
    void Run();
    SPDConnection* Connect();
};

namespace {

// libspeechd's event callbacks carry no context; there is one engine, and
// what they touch lives as long as the connection: until the process ends.
std::shared_ptr<SpeechDispatcherEngine::Shared>* gShared = nullptr;

void OnFinished(std::size_t messageId, std::size_t, SPDNotificationType) {
    if (gShared) (*gShared)->Finished(messageId);
}

bool HasModule(SPDConnection* connection, const char* name) {
    char** modules = lib->spd_list_modules(connection);
    if (!modules) return false;
    bool found = false;
    for (char** m = modules; *m; ++m) found = found || std::strcmp(*m, name) == 0;
    lib->free_spd_modules(modules);
    return found;
}

// A server at `socketPath`, or the session's own one (SPEECHD_ADDRESS, else
// the user's runtime folder) when it is null. Never starts one: libspeechd
// would start a server that outlives the saver.
SPDConnection* Open(const char* socketPath) {
    char* error = nullptr;
    SPDConnection* connection;
    if (socketPath != nullptr) {
        SPDConnectionAddress address{};
        address.method = SPD_METHOD_UNIX_SOCKET;
        address.unix_socket_name = const_cast<char*>(socketPath);
        connection = lib->spd_open2("kel", "saying", nullptr, SPD_MODE_THREADED, &address, 0, &error);
    } else {
        connection = lib->spd_open2("kel", "saying", nullptr, SPD_MODE_THREADED, nullptr, 0, &error);
    }
    std::free(error);
    return connection;
}

}  // namespace

// On the voice thread. The session's server where one runs; otherwise a
// private one that ends with this process (speech/linux/private_server.h).
SPDConnection* SpeechDispatcherEngine::Shared::Connect() {
    lib = OpenSpeechd();
    if (!lib) return nullptr;
    SPDConnection* connection = Open(nullptr);
    if (!connection && std::getenv("SPEECHD_ADDRESS") == nullptr) {
        const std::string socket = StartPrivateSpeechServer();
        const auto limit = std::chrono::steady_clock::now() + kServerStartLimit;
        while (!socket.empty() && !connection && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            connection = Open(socket.c_str());
        }
    }
    if (!connection) return nullptr;
    bool japanese;
    {
        std::lock_guard<std::mutex> lock(mutex);
        japanese = wantJapanese;
    }
    bool usable = !japanese || (HasModule(connection, "openjtalk") &&
                                lib->spd_set_output_module(connection, "openjtalk") == 0 &&
                                lib->spd_set_language(connection, "ja") == 0);
    if (usable) {
        connection->callback_end = connection->callback_cancel = OnFinished;
        usable = lib->spd_set_notification_on(connection, SPD_END) == 0 &&
                 lib->spd_set_notification_on(connection, SPD_CANCEL) == 0;
    }
    // An unusable connection is left as it is: closing it could block too.
    return usable ? connection : nullptr;
}

// The voice thread: connects, then carries out the requests, newest first,
// until the engine goes.
void SpeechDispatcherEngine::Shared::Run() {
    SPDConnection* connection = Connect();
    std::unique_lock<std::mutex> lock(mutex);
    link = connection ? Link::Ready : Link::Missing;
    if (!connection) {
        hasText = saying = false;
        text.clear();
    }
    changed.notify_all();
    while (connection) {
        changed.wait(lock, [this] { return quit || hasText || cancel; });
        if (quit) return;
        const bool say = hasText;
        const std::string utf8 = std::move(text);
        const unsigned stopsBefore = stops;
        text.clear();
        hasText = cancel = false;
        lock.unlock();
        lib->spd_cancel(connection);  // purges what the last saying still says
        const int id = say ? lib->spd_say(connection, SPD_TEXT, utf8.c_str()) : -1;
        lock.lock();
        if (id > 0) {
            lastSaid = static_cast<std::size_t>(id);
            // Stopped meanwhile: the cancel asked for is on its way.
            if (stops != stopsBefore && lastFinished < lastSaid) lastFinished = lastSaid;
        }
        if (say && !hasText) saying = false;
        changed.notify_all();
    }
}

SpeechDispatcherEngine::SpeechDispatcherEngine() : shared_(std::make_shared<Shared>()) {}

// Never joins the voice thread: it may be blocked on the server for good.
SpeechDispatcherEngine::~SpeechDispatcherEngine() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->quit = true;
    shared_->changed.notify_all();
}

bool SpeechDispatcherEngine::Create() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->link != Shared::Link::Idle || gShared) return false;
    gShared = new std::shared_ptr<Shared>(shared_);
    shared_->link = Shared::Link::Connecting;  // the thread starts with the first saying
    return true;
}

bool SpeechDispatcherEngine::SelectVoice(const std::u16string& requiredAttributes) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->wantJapanese = requiredAttributes == SpeechSession::kJapaneseVoice;
    return true;
}

bool SpeechDispatcherEngine::Speak(const std::u16string& text, long) {
    std::string utf8 = Utf16ToUtf8(text);
    // One voice at a time across the user's kel processes.
    if (!HoldSoundTurn()) return false;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    Shared& s = *shared_;
    if (s.link == Shared::Link::Idle || s.link == Shared::Link::Missing) return false;
    // The newest saying replaces one still waiting; the voice thread purges
    // whatever is said before it says this one.
    s.text = std::move(utf8);
    s.hasText = s.saying = true;
    s.changed.notify_all();
    if (!s.threadStarted) {
        s.threadStarted = true;
        // The thread takes none of the program's signals (they belong to the
        // host's loop); neither do libspeechd's own threads, started from it.
        sigset_t all, old;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &old);
        std::shared_ptr<Shared> shared = shared_;
        std::thread([shared] { shared->Run(); }).detach();
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    }
    return true;
}

// Message ids grow, so a saying has ended once an id at least as high as
// its own has ended or been cancelled; an end event that overtakes the
// answer to spd_say is handled as well.
bool SpeechDispatcherEngine::WaitUntilDone(std::uint32_t limitMs) {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    return shared_->changed.wait_for(lock, std::chrono::milliseconds(limitMs),
                                     [this] { return !shared_->SpeakingLocked(); });
}

void SpeechDispatcherEngine::Stop() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    Shared& s = *shared_;
    s.hasText = s.saying = false;
    s.text.clear();
    s.lastFinished = s.lastSaid;
    ++s.stops;
    s.cancel = s.link == Shared::Link::Ready;
    s.changed.notify_all();
}

}  // namespace kel::posix
