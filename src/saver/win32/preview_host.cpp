#include "saver/win32/preview_host.h"

#include <utility>
#include <vector>

#include "data/ini_text.h"
#include "platform/deadline.h"
#include "platform/win32/data_win32.h"
#include "platform/win32/gdi_label.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_win32.h"
#include "saver/form1.h"
#include "saver/miniature.h"

namespace kel::win32 {

namespace {

const wchar_t kClassName[] = L"kelPreview";
const UINT_PTR kTimerId = 1;        // Timer1
const UINT_PTR kParentTimerId = 2;  // looks whether the parent is still there
const UINT kParentCheckMs = 500;
// "ＭＳ Ｐゴシック", as on the saver's labels.
const wchar_t kLabelFace[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";

[[noreturn]] void EndPreview(UINT exitCode) {
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
    ::ExitProcess(exitCode);  // not reached
}

// The data files as a preview sees them: read as the saver reads them, and
// what the saver would write where a file is missing kept in memory instead.
// A user who only looks at the settings finds no file made, mended or changed.
class PreviewFiles : public Files {
public:
    bool FileExists(const std::string& path) const override {
        return Made(path) != nullptr || disk_.FileExists(path);
    }
    std::string ReadAll(const std::string& path) const override {
        const std::string* made = Made(path);
        return made != nullptr ? *made : disk_.ReadAll(path);
    }
    void ReplaceAll(const std::string&, const std::string&) override {}
    // A save cut short is put right by the next real start.
    void RecoverInterruptedRewrite(const std::string&) override {}
    void CreateNew(const std::string& path, const std::string& bytes) override {
        made_.emplace_back(path, bytes);
    }

    const std::string* Made(const std::string& path) const {
        for (const auto& file : made_) {
            if (file.first == path) return &file.second;
        }
        return nullptr;
    }

private:
    Win32Files disk_;
    std::vector<std::pair<std::string, std::string>> made_;
};

class PreviewProfile : public Profile {
public:
    explicit PreviewProfile(const PreviewFiles& files) : files_(files) {}
    std::string GetString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultText) const override {
        const std::string* made = files_.Made(path);
        return made != nullptr ? IniGetString(made, section, key, defaultText)
                               : disk_.GetString(path, section, key, defaultText);
    }
    void WriteString(const std::string&, const std::string&, const std::string&,
                     const std::string&) override {}

private:
    const PreviewFiles& files_;
    Win32Profile disk_;
};

class Silent : public SoundPlayer, public Speaker {
public:
    void Play(const std::vector<std::uint8_t>&) override {}
    void SpeakText(const std::u16string&) override {}
};

int ScreenDpi() {
    ScreenDc screen;
    const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

class PreviewHost : public SaverWindow, private EventWait {
public:
    PreviewHost()
        : dpi_(ScreenDpi()),
          label1_(kLabelFace, dpi_, [this](const RECT& pixels) { Invalidate(&pixels); }),
          label2_(kLabelFace, dpi_, [this](const RECT& pixels) { Invalidate(&pixels); }),
          profile_(files_),
          platform_{label1_, label2_, *this, silent_, silent_, files_, profile_, codec_, process_},
          form_(platform_) {}

    void Run(HWND parent);

    // SaverWindow. The window fills its parent from its creation on; it is
    // nobody's top window and has nothing to write back.
    void SetBackColor(std::uint32_t colour) override;
    void SetLeftTop(float, float) override {}
    void SetSize(float, float) override {}
    void Show() override { ::UpdateWindow(hwnd_); }
    void EnableTimer(bool enabled) override;
    void MakeTopmost() override {}
    void Unload() override {}
    float ScreenWidthTwips() const override { return ToTwips(size_.cx); }
    float ScreenHeightTwips() const override { return ToTwips(size_.cy); }
    void PumpEvents() override;
    void Sleep(std::uint32_t milliseconds) override { PreciseSleep(milliseconds); }
    void WaitForEvents(std::uint32_t milliseconds) override { WaitWithDeadline(*this, milliseconds); }

private:
    // EventWait, for the hold
    double NowMs() override;
    bool WaitForInput(std::uint32_t timeoutMs) override;
    void DeliverInput() override { PumpEvents(); }

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnPaint();
    void Invalidate(const RECT* pixels) {
        if (hwnd_) ::InvalidateRect(hwnd_, pixels, FALSE);
    }
    float ToTwips(LONG pixels) const {
        return static_cast<float>(pixels) * 1440.0f / static_cast<float>(dpi_);
    }

    HWND hwnd_ = nullptr;
    HWND parent_ = nullptr;
    SIZE size_{};
    int dpi_;
    GdiLabel label1_, label2_;
    Silent silent_;
    PreviewFiles files_;
    PreviewProfile profile_;
    Win32Codec codec_;
    Win32Process process_;
    SaverPlatform platform_;
    Form1 form_;
    COLORREF background_ = RGB(0, 0, 0);
    OwnedBrush backgroundBrush_;
};

void PreviewHost::Run(HWND parent) {
    parent_ = parent;
    RECT area{};
    ::GetClientRect(parent, &area);
    size_ = {area.right - area.left, area.bottom - area.top};
    if (size_.cx <= 0 || size_.cy <= 0) EndPreview(0);  // nothing to draw in

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);
    if (::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, size_.cx, size_.cy,
                          parent, nullptr, instance, this) == nullptr) {
        EndPreview(1);
    }

    // The screen in miniature: every size the presentation starts from
    // shrinks by the share of the screen the preview shows.
    form_.SizeScale = MiniatureScale(static_cast<float>(size_.cx), static_cast<float>(size_.cy),
                                     static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)),
                                     static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)));
    try {
        form_.Load();
    } catch (...) {
        EndPreview(1);
    }
    // Silent whatever the settings say, and never done by itself: a preview
    // ends with the window it is shown in.
    form_.Sound = 0;
    form_.OneShot = 0;
    ::SetTimer(hwnd_, kParentTimerId, kParentCheckMs, nullptr);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    EndPreview(0);
}

void PreviewHost::SetBackColor(std::uint32_t colour) {
    const COLORREF next = static_cast<COLORREF>(colour & 0xFFFFFF);
    if (next == background_ && backgroundBrush_) return;
    background_ = next;
    backgroundBrush_.reset(::CreateSolidBrush(background_));
    Invalidate(nullptr);
}

void PreviewHost::EnableTimer(bool enabled) {
    if (enabled) {
        ::SetTimer(hwnd_, kTimerId, Form1::kTimerIntervalMs, nullptr);
    } else {
        ::KillTimer(hwnd_, kTimerId);
    }
}

void PreviewHost::PumpEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) EndPreview(0);
        ::DispatchMessageW(&msg);
    }
}

double PreviewHost::NowMs() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool PreviewHost::WaitForInput(std::uint32_t timeoutMs) {
    const DWORD woken =
        ::MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_TIMEOUT) return false;
    if (woken != WAIT_OBJECT_0) ::Sleep(timeoutMs);
    return true;
}

LRESULT CALLBACK PreviewHost::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<PreviewHost*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PreviewHost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
    // No C++ exception may leave a window procedure; a preview reports
    // nothing and ends.
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (...) {
        EndPreview(1);
    }
}

LRESULT PreviewHost::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kTimerId) form_.Timer1_Timer();
        // The settings dialog may end without destroying the window first.
        if (wp == kParentTimerId && !::IsWindow(parent_)) EndPreview(0);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills the whole window
    case WM_CLOSE:
    case WM_DESTROY:  // the parent went, and took the preview with it
        EndPreview(0);
    default:
        return ::DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

void PreviewHost::OnPaint() {
    PaintScope paint(hwnd_);
    if (!backgroundBrush_) backgroundBrush_.reset(::CreateSolidBrush(background_));
    ::FillRect(paint.dc(), &paint.rect(), backgroundBrush_.get());
    label2_.Paint(paint.dc());
    label1_.Paint(paint.dc());
}

}  // namespace

int RunPreview(HWND parent) {
    static PreviewHost host;  // lives until the process ends
    host.Run(parent);
    return 0;
}

}  // namespace kel::win32
