#include "saver/win32/saver_host.h"

#include <optional>

#include "platform/deadline.h"
#include "platform/win32/data_win32.h"
#include "platform/win32/gdi_label.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_win32.h"
#include "resources/resource_ids.h"
#include "saver/form1.h"
#include "saver/win32/cover_windows.h"
#include "saver/win32/saver_report.h"
#include "speech/win32/sapi_speaker.h"

namespace kel::win32 {

namespace {

const wchar_t kClassName[] = L"kelSaverForm1";
const UINT_PTR kTimerId = 1;
// How long the end of a one-shot run waits for a greeting still being spoken.
const std::uint32_t kGreetingFinishMs = 30000;
// "ＭＳ Ｐゴシック"; where the face is missing, GDI's font mapping picks
// another Japanese face for SHIFTJIS_CHARSET.
const wchar_t kLabelFace[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";

int ScreenDpi() {
    ScreenDc screen;
    const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

// The performance counter in milliseconds.
double CounterMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

class SaverHost : public SaverWindow, private EventWait {
public:
    SaverHost()
        : dpi_(ScreenDpi()),
          label1_(kLabelFace, dpi_, [this](const RECT& pixels) { Invalidate(&pixels); }),
          label2_(kLabelFace, dpi_, [this](const RECT& pixels) { Invalidate(&pixels); }),
          platform_{label1_, label2_, *this, sound_, speaker_, files_, profile_, codec_, process_},
          form_(platform_) {}

    void Create();
    void Destroy();
    Form1& form() { return form_; }
    // Blacks out the monitors besides the one Form1's window covers.
    void CoverOtherMonitors() { covers_.Update(hwnd_); }
    // The thread's WM_QUIT: someone outside asks the program to end.
    [[noreturn]] void Quit() { CloseFromSystem(); }

    // SaverWindow
    void SetBackColor(std::uint32_t colour) override;
    void SetLeftTop(float leftTwips, float topTwips) override;
    void SetSize(float widthTwips, float heightTwips) override;
    void Show() override;
    void EnableTimer(bool enabled) override;
    void MakeTopmost() override;
    void Unload() override;
    float ScreenWidthTwips() const override;
    float ScreenHeightTwips() const override;
    void PumpEvents() override;
    void Sleep(std::uint32_t milliseconds) override { PreciseSleep(milliseconds); }
    void WaitForEvents(std::uint32_t milliseconds) override;

private:
    // EventWait, for the hold
    double NowMs() override { return CounterMs(); }
    bool WaitForInput(std::uint32_t timeoutMs) override;
    void DeliverInput() override { PumpEvents(); }

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnPaint();
    void OnMouseMove(LPARAM lp);
    static unsigned MouseButton(UINT msg, WPARAM wp);
    void OnButtonDown(unsigned button);
    void OnButtonUp(unsigned button);
    // Runs one of Form1's input handlers, marking an end from there as the
    // user's.
    template <typename Handler>
    void FromInput(Handler handler);
    [[noreturn]] void CloseFromSystem();
    // Marks window pixels for the next paint (all of them for nullptr).
    void Invalidate(const RECT* pixels) {
        if (hwnd_) ::InvalidateRect(hwnd_, pixels, FALSE);
    }
    int ToPixels(float twips) const {
        return static_cast<int>(twips * static_cast<float>(dpi_) / 1440.0f + 0.5f);
    }

    HWND hwnd_ = nullptr;
    int dpi_;
    GdiLabel label1_, label2_;
    Win32SoundPlayer sound_;
    SapiSpeaker speaker_;
    Win32Files files_;
    Win32Profile profile_;
    Win32Codec codec_;
    Win32Process process_;
    SaverPlatform platform_;
    Form1 form_;
    CoverWindows covers_;

    COLORREF background_ = RGB(0, 0, 0);
    OwnedBrush backgroundBrush_;
    POINT lastPointer_{};
    unsigned pressedButtons_ = 0;  // pressed over the saver, not yet released
    bool unloading_ = false;
    bool closedBySystem_ = false;
    bool inInput_ = false;  // inside one of Form1's input handlers
};

void SaverHost::Create() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(instance, MAKEINTRESOURCEW(IDC_KEL_BLANK));
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_KEL));
    wc.hbrBackground = nullptr;  // painted in WM_PAINT
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);

    // The pointer's position now: messages at this position are not movements.
    ::GetCursorPos(&lastPointer_);
    hwnd_ = ::CreateWindowExW(0, kClassName, L"Form1", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              instance, this);
    if (hwnd_ == nullptr) {
        throw KelError(ErrorKind::Io, "creating the saver window", "",
                       SystemErrorText(::GetLastError()));
    }
    // Timer1 starts when Load enables it, not here: a tick that fell due while
    // Load's failure is being reported would run on a half-loaded form (and in
    // one-shot mode end the program behind the report, writing Frase_No).
}

// After a failed Load: the window goes before the report is shown, so that
// nothing (a timer, a click, a close) reaches the half-loaded form while the
// report's message loop runs.
void SaverHost::Destroy() {
    if (hwnd_ == nullptr) return;
    ::KillTimer(hwnd_, kTimerId);
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void SaverHost::SetBackColor(std::uint32_t colour) {
    const COLORREF next = static_cast<COLORREF>(colour & 0xFFFFFF);
    if (next == background_ && backgroundBrush_) return;
    background_ = next;
    backgroundBrush_.reset(::CreateSolidBrush(background_));
    Invalidate(nullptr);
}

void SaverHost::SetLeftTop(float leftTwips, float topTwips) {
    ::SetWindowPos(hwnd_, nullptr, ToPixels(leftTwips), ToPixels(topTwips), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SaverHost::SetSize(float widthTwips, float heightTwips) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, ToPixels(widthTwips), ToPixels(heightTwips),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SaverHost::Show() {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
    ::UpdateWindow(hwnd_);
}

void SaverHost::EnableTimer(bool enabled) {
    if (enabled) {
        ::SetTimer(hwnd_, kTimerId, Form1::kTimerIntervalMs, nullptr);
    } else {
        ::KillTimer(hwnd_, kTimerId);
    }
}

void SaverHost::MakeTopmost() {
    ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The window's QueryUnload runs; the caller ends the process right
// afterwards, which takes the window away with it. Nothing is destroyed or
// hidden from inside a message that was sent to the window: hiding it first
// would only delay the end (by seconds under Wine without a window manager).
// Only a greeting still being spoken hides it, below: the end waits anyway.
void SaverHost::Unload() {
    if (unloading_) return;
    unloading_ = true;
    ::KillTimer(hwnd_, kTimerId);
    form_.QueryUnload();
    // A click, a key or the system wants the saver over now, voice and all.
    // A one-shot run that ends by itself would otherwise end a second or two
    // after the saying was handed over, cutting a longer greeting off
    // mid-word: the window goes and the voice may finish (for a bounded
    // time), the messages answered between short steps so that a log-off or
    // a close still ends the program at once. The instance mutex goes first,
    // so that a settings dialog started meanwhile opens.
    const bool byItself = !closedBySystem_ && !inInput_;
    speaker_.session().EndOfRun(
        byItself && form_.OneShot == 1, kGreetingFinishMs,
        [this] {
            ::ShowWindow(hwnd_, SW_HIDE);
            covers_.Hide();
            ReleaseInstanceMutex();
        },
        [this] { PumpEvents(); });
}

float SaverHost::ScreenWidthTwips() const {
    return static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * 1440.0f /
           static_cast<float>(dpi_);
}

float SaverHost::ScreenHeightTwips() const {
    return static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)) * 1440.0f /
           static_cast<float>(dpi_);
}

void SaverHost::PumpEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            Quit();  // the close step, once; it does not return
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The hold lasts its time by the clock, one wait to a deadline: on Windows a
// wait with a short timeout lasts a whole timer period (15.6 ms by default),
// so counting short waits would stretch it many times over.
void SaverHost::WaitForEvents(std::uint32_t milliseconds) {
    WaitWithDeadline(*this, milliseconds);
}

// Sleeps until a message is queued or the time is up. Under Wine an empty
// PeekMessage is a round trip to the Wine server, so the queue is only
// looked at when the wait says something is there.
bool SaverHost::WaitForInput(std::uint32_t timeoutMs) {
    const DWORD woken =
        ::MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_TIMEOUT) return false;
    if (woken != WAIT_OBJECT_0) ::Sleep(timeoutMs);  // cannot wait for messages: sleep, then pump
    return true;
}

LRESULT CALLBACK SaverHost::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<SaverHost*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SaverHost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    // No C++ exception may leave a window procedure: an error that reaches
    // here is reported and ends the program, writing nothing further.
    LRESULT result = 0;
    if (RunOrReport(self->hwnd_, kTimerId, self->covers_,
                    [&] { result = self->OnMessage(msg, wp, lp); })) {
        return result;
    }
    ::ExitProcess(1);
}

LRESULT SaverHost::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kTimerId) form_.Timer1_Timer();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills the whole window
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        OnButtonDown(MouseButton(msg, wp));
        return msg == WM_XBUTTONDOWN ? TRUE : 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
        OnButtonUp(MouseButton(msg, wp));
        return msg == WM_XBUTTONUP ? TRUE : 0;
    case WM_CAPTURECHANGED:
        pressedButtons_ = 0;  // the release will not come here
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        FromInput([this] { form_.KeyDown(); });
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(lp);
        return 0;
    case WM_DISPLAYCHANGE:
        covers_.Update(hwnd_);  // a monitor came, went or changed
        break;
    case WM_SYSCOMMAND:
        // The system would start the saver again on top of itself.
        if ((wp & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
    case WM_CLOSE:
        CloseFromSystem();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wp) CloseFromSystem();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

// One bit per mouse button, for the press and the release of a click.
unsigned SaverHost::MouseButton(UINT msg, WPARAM wp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return 1u;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return 2u;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return 4u;
    default:
        return GET_XBUTTON_WPARAM(wp) == XBUTTON1 ? 8u : 16u;
    }
}

// A click is a press and the release of the same button over the saver. It
// ends the saver on the release: ended on the press, the release would reach
// whatever window lies underneath once the saver is gone. The capture keeps
// the release coming here wherever the pointer goes meanwhile.
void SaverHost::OnButtonDown(unsigned button) {
    if (pressedButtons_ == 0) ::SetCapture(hwnd_);
    pressedButtons_ |= button;
}

void SaverHost::OnButtonUp(unsigned button) {
    if ((pressedButtons_ & button) == 0) return;  // pressed elsewhere
    FromInput([this] { form_.Click(); });
}

template <typename Handler>
void SaverHost::FromInput(Handler handler) {
    inInput_ = true;
    handler();
    inInput_ = false;
}

// Windows also sends WM_MOUSEMOVE when nothing moved (a window appears or
// changes under a still pointer): only a changed position is a movement.
// https://learn.microsoft.com/windows/win32/inputdev/wm-mousemove
void SaverHost::OnMouseMove(LPARAM lp) {
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    ::ClientToScreen(hwnd_, &at);
    if (at.x == lastPointer_.x && at.y == lastPointer_.y) return;
    lastPointer_ = at;
    FromInput([this] { form_.MouseMove(); });
}

// Closed by the system (log-off, shut-down, WM_CLOSE): the same unload, then
// the end of the program.
void SaverHost::CloseFromSystem() {
    closedBySystem_ = true;
    Unload();
    process_.EndProgram();
}

// Paints only what was invalidated: the background, then the labels on it.
// Every change of a label happens while it is hidden or comes with the
// rectangle it covered, so a character is never drawn half-placed.
void SaverHost::OnPaint() {
    PaintScope paint(hwnd_);
    if (!backgroundBrush_) backgroundBrush_.reset(::CreateSolidBrush(background_));
    ::FillRect(paint.dc(), &paint.rect(), backgroundBrush_.get());
    label2_.Paint(paint.dc());
    label1_.Paint(paint.dc());
}

}  // namespace

int RunSaver() {
    static SaverHost host;  // lives until the process ends
    host.Create();
    try {
        host.form().Load();
    } catch (...) {
        host.Destroy();
        throw;  // reported by the caller; the program ends with exit code 1
    }
    host.CoverOtherMonitors();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    host.Quit();  // WM_QUIT (or a broken queue): the close step, then the end
}

}  // namespace kel::win32
