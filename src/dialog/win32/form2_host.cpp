// The settings dialog on Win32: a fixed-border top-level window with real
// child controls placed from the twips table through the screen's DPI. The
// dialog's logic (Form2) owns the state of every control; the controls here
// mirror it and report the user's actions back.
#include "dialog/win32/form2_host.h"

#include <windows.h>

#include <array>
#include <string>

#include "dialog/form2.h"
#include "dialog/form2_layout.h"
#include "platform/errors.h"
#include "platform/win32/data_win32.h"
#include "platform/win32/handles.h"
#include "resources/resource_ids.h"
#include "platform/win32/system_win32.h"

namespace kel {

namespace {

using win32::OwnedFont;
using win32::Wide;

const wchar_t kClassName[] = L"kelSettingsForm2";
const wchar_t kTitle[] = L"\u30E1\u30C3\u30BB\u30FC\u30B8\u30A8\u30C7\u30A3\u30BF\u30FC";  // メッセージエディター
// "ＭＳ Ｐゴシック"; where the face is missing, GDI's font mapping picks
// another Japanese face for SHIFTJIS_CHARSET.
const wchar_t kLabel2Face[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";
const int kLabel2Points = 9;
const COLORREF kLabel2Text = RGB(255, 255, 0);
const COLORREF kLabel2Back = RGB(0, 0, 0);
const int kFirstControlId = 100;
const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed border
const DWORD kExStyle = 0;
// BM_SETDONTCLICK (Windows Vista and later), spelled out for older headers.
const UINT kSetDontClick = 0x00F8;

bool IsOptionButton(Form2Control control) {
    switch (control) {
    case Form2Control::Option1:
    case Form2Control::Option2:
    case Form2Control::Option3:
    case Form2Control::Option4:
    case Form2Control::Option5_0:
    case Form2Control::Option5_1:
    case Form2Control::Option6_0:
    case Form2Control::Option6_1:
        return true;
    default:
        return false;
    }
}

int ScreenDpi() {
    win32::ScreenDc screen;
    const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

// A real control behind one of the dialog's control models.
class HwndView : public ControlView {
public:
    HWND hwnd = nullptr;

    void ShowText(const std::u16string& text) override {
        ::SetWindowTextW(hwnd, Wide(text).c_str());
    }
    std::u16string Text() const override {
        const int length = ::GetWindowTextLengthW(hwnd);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const int got = ::GetWindowTextW(hwnd, &text[0], length + 1);
        text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
        return win32::FromWide(text);
    }
    void ShowEnabled(bool enabled) override { ::EnableWindow(hwnd, enabled ? TRUE : FALSE); }
    void ShowChecked(int value) override {
        ::SendMessageW(hwnd, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    void ShowScroll(int span, int position) override {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
        info.nMin = 0;
        info.nMax = span;
        info.nPage = 0;
        info.nPos = position;
        ::SetScrollInfo(hwnd, SB_CTL, &info, TRUE);
    }
};

// A label that sizes itself to its caption, its top-left corner staying put.
class AutoSizeLabelView : public HwndView {
public:
    void ShowText(const std::u16string& text) override {
        HwndView::ShowText(text);
        HDC dc = ::GetDC(hwnd);
        SIZE extent{};
        {
            win32::SelectGuard font(
                dc, reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
            const std::wstring wide = Wide(text);
            ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
        }
        ::ReleaseDC(hwnd, dc);
        ::SetWindowPos(hwnd, nullptr, 0, 0, extent.cx, extent.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(::GetParent(hwnd), nullptr, TRUE);
    }
};

class Form2Host : public DialogWindow, public MessageSink {
public:
    Form2Host()
        : dpi_(ScreenDpi()),
          platform_{*this, *this, files_, profile_, codec_},
          form_(platform_) {}
    Form2Host(const Form2Host&) = delete;
    Form2Host& operator=(const Form2Host&) = delete;

    void Create();
    int Run();

    // DialogWindow
    float ScreenWidthTwips() const override {
        return Twips(::GetSystemMetrics(SM_CXSCREEN));
    }
    float ScreenHeightTwips() const override {
        return Twips(::GetSystemMetrics(SM_CYSCREEN));
    }
    float OuterWidthTwips() const override { return Twips(OuterRect().right - OuterRect().left); }
    float OuterHeightTwips() const override { return Twips(OuterRect().bottom - OuterRect().top); }
    void Move(float leftTwips, float topTwips) override;
    void SetCaption(const std::u16string& caption) override {
        ::SetWindowTextW(hwnd_, Wide(caption).c_str());
    }
    void Show() override;
    void Unload() override;

    // MessageSink
    void ShowMessage(const std::u16string& text) override {
        ::MessageBoxW(hwnd_, Wide(text).c_str(), kTitle, MB_OK | MB_ICONWARNING);
    }
    bool Confirm(const std::u16string& question) override {
        return ::MessageBoxW(hwnd_, Wide(question).c_str(), kTitle,
                             MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    }

private:
    struct Child {
        Form2Control id;
        const wchar_t* className;
        DWORD style;
        DWORD exStyle;
        Control* model;
    };

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id, int code);
    bool OnDialogKey(const MSG& msg);
    void MoveFocus(bool backward);
    void KeepFramesReachable();
    void OnScroll(int code);
    LRESULT OnCtlColorStatic(HDC dc, HWND control);
    Child ChildFor(Form2Control id);
    HWND ControlWindow(Form2Control id) const {
        const HwndView* view = views_[static_cast<std::size_t>(id)];
        return view != nullptr ? view->hwnd : nullptr;
    }
    RECT OuterRect() const;

    int ToPixels(float twips) const {
        return static_cast<int>(twips * static_cast<float>(dpi_) / 1440.0f + 0.5f);
    }
    float Twips(int pixels) const {
        return static_cast<float>(pixels) * 1440.0f / static_cast<float>(dpi_);
    }

    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when we lost it
    int dpi_;
    bool unloaded_ = false;
    OwnedFont messageFont_;
    OwnedFont label2Font_;
    std::array<HwndView, 18> plainViews_;
    AutoSizeLabelView label1View_;
    std::array<HwndView*, 18> views_{};
    win32::Win32Files files_;
    win32::Win32Profile profile_;
    win32::Win32Codec codec_;
    DialogPlatform platform_;
    Form2 form_;
};

Form2Host::Child Form2Host::ChildFor(Form2Control id) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD radio = child | BS_AUTORADIOBUTTON;
    const DWORD frame = child | BS_GROUPBOX | WS_GROUP;
    // The first button of each frame starts a group, so that Windows' own
    // radio handling and the arrow keys stay within the frame.
    switch (id) {
    case Form2Control::Text1:
        return {id, L"EDIT",
                child | WS_TABSTOP | WS_GROUP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                    ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                WS_EX_CLIENTEDGE, &form_.Text1};
    case Form2Control::Label1:
        return {id, L"STATIC", child | WS_GROUP | SS_LEFT | SS_NOPREFIX, 0, &form_.Label1};
    case Form2Control::Command1:
        return {id, L"BUTTON", child | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0,
                &form_.Command1};
    case Form2Control::Frame1: return {id, L"BUTTON", frame, 0, &form_.Frame1};
    case Form2Control::Option1:
        return {id, L"BUTTON", radio | WS_GROUP | WS_TABSTOP, 0, &form_.Option1};
    case Form2Control::Option2: return {id, L"BUTTON", radio, 0, &form_.Option2};
    case Form2Control::Frame2: return {id, L"BUTTON", frame, 0, &form_.Frame2};
    case Form2Control::Option3:
        return {id, L"BUTTON", radio | WS_GROUP | WS_TABSTOP, 0, &form_.Option3};
    case Form2Control::Option4: return {id, L"BUTTON", radio, 0, &form_.Option4};
    case Form2Control::Frame4: return {id, L"BUTTON", frame, 0, &form_.Frame4};
    case Form2Control::Option5_0:
        return {id, L"BUTTON", radio | WS_GROUP | WS_TABSTOP, 0, &form_.Option5[0]};
    case Form2Control::Option5_1: return {id, L"BUTTON", radio, 0, &form_.Option5[1]};
    case Form2Control::Check1:
        return {id, L"BUTTON", child | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 0, &form_.Check1};
    case Form2Control::Frame3: return {id, L"BUTTON", frame, 0, &form_.Frame3};
    case Form2Control::Option6_0:
        return {id, L"BUTTON", radio | WS_GROUP | WS_TABSTOP, 0, &form_.Option6[0]};
    case Form2Control::Option6_1: return {id, L"BUTTON", radio, 0, &form_.Option6[1]};
    case Form2Control::Label2:
        return {id, L"STATIC", child | WS_GROUP | SS_LEFT | SS_NOPREFIX, 0, &form_.Label2};
    case Form2Control::VScroll1:
        return {id, L"SCROLLBAR", child | WS_GROUP | WS_TABSTOP | SBS_VERT, 0, &form_.VScroll1};
    }
    return {id, L"STATIC", child, 0, nullptr};
}

RECT Form2Host::OuterRect() const {
    RECT rect{0, 0, ToPixels(kForm2ClientWidthTwips), ToPixels(kForm2ClientHeightTwips)};
    ::AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
    return rect;
}

void Form2Host::Create() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    // No InitCommonControlsEx: with the dialog's activation context active,
    // the system loads common controls 6 for the standard classes by itself.

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_KEL));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);

    const RECT outer = OuterRect();
    hwnd_ = ::CreateWindowExW(kExStyle, kClassName, L"Form2", kStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                              nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) {
        throw KelError(ErrorKind::Io, "creating the settings dialog", "",
                       win32::SystemErrorText(::GetLastError()));
    }

    // The system's message font for the controls; the start phrase label has
    // its own.
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        messageFont_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    }
    LOGFONTW label2 = {};
    label2.lfHeight = -::MulDiv(kLabel2Points, dpi_, 72);
    label2.lfWeight = FW_BOLD;
    label2.lfCharSet = SHIFTJIS_CHARSET;
    ::lstrcpynW(label2.lfFaceName, kLabel2Face, LF_FACESIZE);
    label2Font_.reset(::CreateFontIndirectW(&label2));

    // Created in tab order, which is also the order the dialog manager tabs.
    for (const Form2Place& place : kForm2Layout) {
        const Child child = ChildFor(place.control);
        const Form2Rect rect = PlaceOnDialog(place.control);
        const auto index = static_cast<std::size_t>(place.control);
        HwndView* view = place.control == Form2Control::Label1
                             ? static_cast<HwndView*>(&label1View_)
                             : &plainViews_[index];
        view->hwnd = ::CreateWindowExW(
            child.exStyle, child.className, L"", child.style, ToPixels(rect.left),
            ToPixels(rect.top), ToPixels(rect.width), ToPixels(rect.height), hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)), instance,
            nullptr);
        if (view->hwnd == nullptr) {
            throw KelError(ErrorKind::Io, "creating the settings dialog's controls", "",
                           win32::SystemErrorText(::GetLastError()));
        }
        HFONT font = place.control == Form2Control::Label2 ? label2Font_.get() : messageFont_.get();
        if (font != nullptr) ::SendMessageW(view->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        views_[index] = view;
        child.model->AttachView(view);
    }
    // The editor takes any amount of text.
    ::SendMessageW(ControlWindow(Form2Control::Text1), EM_SETLIMITTEXT, 0, 0);
}

void Form2Host::Move(float leftTwips, float topTwips) {
    ::SetWindowPos(hwnd_, nullptr, ToPixels(leftTwips), ToPixels(topTwips), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form2Host::Show() {
    KeepFramesReachable();
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::UpdateWindow(hwnd_);
    ::SetFocus(ControlWindow(Form2Control::Text1));
}

// QueryUnload writes the settings; the window is then taken off the screen and
// the message loop ends, so that nothing is destroyed from inside a message
// that was sent to it. Whatever is still queued reaches the form no more.
void Form2Host::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    form_.QueryUnload();
    ::ShowWindow(hwnd_, SW_HIDE);
    ::PostQuitMessage(0);
}

int Form2Host::Run() {
    // After a failed Load the window goes before the report is shown: the
    // report's message loop must deliver nothing to a form that is being
    // torn down (this object dies while the report's error unwinds).
    try {
        form_.Load();
    } catch (...) {
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        throw;
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (OnDialogKey(msg)) continue;
        // The arrow keys within a frame, Space on the buttons and the like.
        if (::IsDialogMessageW(hwnd_, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::DestroyWindow(hwnd_);
    return 0;
}

LRESULT CALLBACK Form2Host::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<Form2Host*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form2Host*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    // No C++ exception may leave a window procedure: an error that reaches
    // here is reported and ends the program, writing nothing further.
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (const KelError& error) {
        win32::ReportError(error);
    } catch (const std::exception& error) {
        win32::ReportUnexpected(error.what());
    }
    ::ExitProcess(1);
}

LRESULT Form2Host::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (!unloaded_ && lp != 0) OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_VSCROLL:
        if (!unloaded_ && lp != 0 &&
            reinterpret_cast<HWND>(lp) == ControlWindow(Form2Control::VScroll1)) {
            OnScroll(LOWORD(wp));
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_ACTIVATE:
        // Give the focus back to the control that had it.
        if (LOWORD(wp) == WA_INACTIVE) {
            focus_ = ::GetFocus();
        } else if (focus_ != nullptr && ::IsChild(hwnd_, focus_)) {
            ::SetFocus(focus_);
        }
        return 0;
    case WM_NEXTDLGCTL:
        // What the dialog manager asks of a dialog: the next or previous
        // control (lParam 0), or the control in wParam.
        if (LOWORD(lp) == 0) {
            MoveFocus(wp != 0);
        } else if (::IsChild(hwnd_, reinterpret_cast<HWND>(wp))) {
            ::SetFocus(reinterpret_cast<HWND>(wp));
        }
        return 0;
    case WM_CLOSE:  // the close box, Alt+F4, the system menu
        Unload();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wp) Unload();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

// The keys that this window, which is no dialog of the system's, takes before
// the dialog manager sees them. The multi-line editor, asked by
// IsDialogMessage, works in "dialog mode": on Esc it would post WM_CLOSE to
// us, which closes the dialog and throws the edits away; on Tab it asks us
// for the next control.
bool Form2Host::OnDialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || unloaded_) return false;
    if (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)) return false;
    switch (msg.wParam) {
    case VK_ESCAPE:
        // Esc closes nothing here: the dialog closes only through the save
        // button, the close box, the system menu or the end of the session.
        return true;
    case VK_TAB:
        // From every control alike, the editor included, and without
        // selecting the editor's whole text on the way in: a key typed after
        // Tab must not replace all the sayings. Ctrl+Tab moves the same way:
        // the dialog manager would select that whole text for it.
        MoveFocus(::GetKeyState(VK_SHIFT) < 0);
        return true;
    case VK_RETURN:
        // Enter presses the save button when it has the focus, as in a
        // dialog; in the editor it starts a new line.
        if (msg.hwnd != ControlWindow(Form2Control::Command1)) return false;
        ::SendMessageW(msg.hwnd, BM_CLICK, 0, 0);  // its click reaches OnCommand
        return true;
    default:
        return false;
    }
}

// The next (or previous) control in tab order that is enabled and a tab
// stop, going round. In an option frame the selected button is the stop.
void Form2Host::MoveFocus(bool backward) {
    HWND from = ::GetFocus();
    if (from != nullptr && !::IsChild(hwnd_, from)) from = nullptr;
    HWND to = ::GetNextDlgTabItem(hwnd_, from, backward ? TRUE : FALSE);
    if (to != nullptr) ::SetFocus(to);
}

// An option button gives up its tab stop when it is cleared and takes it
// when selected. A frame loaded with neither button selected would then
// have no stop at all and could not be reached with Tab: its first button
// keeps the stop until one of them is selected.
//
// Windows' option buttons report a click when they receive the focus and are
// not selected; tabbing into such a frame must not choose for the user.
// https://learn.microsoft.com/windows/win32/controls/bm-setdontclick
void Form2Host::KeepFramesReachable() {
    const Form2Control frames[][2] = {
        {Form2Control::Option1, Form2Control::Option2},
        {Form2Control::Option3, Form2Control::Option4},
        {Form2Control::Option5_0, Form2Control::Option5_1},
        {Form2Control::Option6_0, Form2Control::Option6_1},
    };
    for (const auto& frame : frames) {
        HWND first = ControlWindow(frame[0]);
        HWND second = ControlWindow(frame[1]);
        ::SendMessageW(first, kSetDontClick, TRUE, 0);
        ::SendMessageW(second, kSetDontClick, TRUE, 0);
        if (::SendMessageW(first, BM_GETCHECK, 0, 0) == BST_CHECKED ||
            ::SendMessageW(second, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            continue;
        }
        ::SetWindowLongPtrW(first, GWL_STYLE,
                            ::GetWindowLongPtrW(first, GWL_STYLE) | WS_TABSTOP);
    }
}

void Form2Host::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    const auto control = static_cast<Form2Control>(id - kFirstControlId);
    // A click selects an option button before it is reported; a report from
    // one still clear is the focus arriving (see KeepFramesReachable).
    if (IsOptionButton(control) &&
        ::SendMessageW(ControlWindow(control), BM_GETCHECK, 0, 0) != BST_CHECKED) {
        return;
    }
    switch (control) {
    case Form2Control::Command1: form_.Command1_Click(); break;
    case Form2Control::Option1: form_.Option1.UserClick(); break;
    case Form2Control::Option2: form_.Option2.UserClick(); break;
    case Form2Control::Option3: form_.Option3.UserClick(); break;
    case Form2Control::Option4: form_.Option4.UserClick(); break;
    case Form2Control::Option5_0: form_.Option5[0].UserClick(); break;
    case Form2Control::Option5_1: form_.Option5[1].UserClick(); break;
    case Form2Control::Option6_0: form_.Option6[0].UserClick(); break;
    case Form2Control::Option6_1: form_.Option6[1].UserClick(); break;
    case Form2Control::Check1: form_.Check1.UserClick(); break;
    default: break;
    }
}

// The top arrow moves toward the scroll bar's top end, which holds the larger
// number, so the up arrow and the Up key raise the value.
void Form2Host::OnScroll(int code) {
    ScrollBar& bar = form_.VScroll1;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    switch (code) {
    case SB_LINEUP: bar.ArrowUp(); break;
    case SB_LINEDOWN: bar.ArrowDown(); break;
    case SB_PAGEUP: bar.PageUp(); break;
    case SB_PAGEDOWN: bar.PageDown(); break;
    case SB_TOP: bar.ToTop(); break;
    case SB_BOTTOM: bar.ToBottom(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        // The 32-bit track position; the message's own is only 16 bits.
        ::GetScrollInfo(ControlWindow(Form2Control::VScroll1), SB_CTL, &info);
        if (code == SB_THUMBTRACK) {
            bar.Track(info.nTrackPos);
        } else {
            bar.Release(info.nTrackPos);
        }
        break;
    default: break;
    }
}

LRESULT Form2Host::OnCtlColorStatic(HDC dc, HWND control) {
    if (control != nullptr && control == ControlWindow(Form2Control::Label2)) {
        ::SetTextColor(dc, kLabel2Text);
        ::SetBkColor(dc, kLabel2Back);
        return reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH));
    }
    return ::DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control));
}

}  // namespace

namespace {

// The dialog's controls take the visual styles of common controls 6 from a
// manifest of their own, activated here only: the saver, which has no
// controls, then never loads the common controls at all.
class VisualStylesScope {
public:
    VisualStylesScope() {
        ACTCTXW context = {};
        context.cbSize = sizeof context;
        context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.hModule = ::GetModuleHandleW(nullptr);
        context.lpResourceName = MAKEINTRESOURCEW(IDR_KEL_CONTROLS_MANIFEST);
        handle_ = ::CreateActCtxW(&context);
        if (handle_ != INVALID_HANDLE_VALUE && !::ActivateActCtx(handle_, &cookie_)) {
            ::ReleaseActCtx(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }
    ~VisualStylesScope() {
        if (handle_ == INVALID_HANDLE_VALUE) return;
        ::DeactivateActCtx(0, cookie_);
        ::ReleaseActCtx(handle_);
    }
    VisualStylesScope(const VisualStylesScope&) = delete;
    VisualStylesScope& operator=(const VisualStylesScope&) = delete;

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

}  // namespace

int RunSettingsDialog() {
    VisualStylesScope styles;
    Form2Host host;
    host.Create();
    return host.Run();
}

}  // namespace kel
