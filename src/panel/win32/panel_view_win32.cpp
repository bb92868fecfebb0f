// The debug panel's Win32 view, built into the Windows driver: a tool window of standard controls
// placed by the control table's 96-DPI geometry scaled to the window's DPI. It runs on the panel
// thread with its own message loop; a 250 ms timer rewrites the status line and follows the VRS
// auto-toggle, a 50 ms timer watches the host's stop request. The DPI functions of newer Windows
// and the common controls are looked up at run time, so the driver imports neither.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "panel/panel_controls.h"
#include "panel/panel_view.h"

namespace mora {

namespace {

constexpr wchar_t kClassName[] = L"MORA_ControlPanel_v1";
constexpr wchar_t kTitle[] = L"MORA Debug Panel";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kStopTimer = 2;
constexpr UINT kStopPollMilliseconds = 50;
constexpr int32_t kPanelGap = 8;             // between the application's window and the panel
constexpr UINT kNonClientMetricsSize = 504;  // NONCLIENTMETRICSW with iPaddedBorderWidth

// View results (as the other views return them).
constexpr int kShown = 0;
constexpr int kWrongHost = -1;
constexpr int kNoWindow = -2;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)(HANDLE);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

struct View {
    const PanelViewHost* host = nullptr;
    GetDpiForWindowFn getDpiForWindow = nullptr;
    SetThreadDpiAwarenessContextFn setThreadDpiAwarenessContext = nullptr;
    SystemParametersInfoForDpiFn systemParametersInfoForDpi = nullptr;
    UINT dpi = 96;
    HFONT font = nullptr;
};
View g_view;  // one panel per process, used only on the panel thread

int Scale(int32_t value) { return MulDiv(value, static_cast<int>(g_view.dpi), 96); }

void CreatePanelFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    BOOL read = FALSE;
    if (g_view.systemParametersInfoForDpi != nullptr) {
        read =
            g_view.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0, g_view.dpi);
    } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(g_view.dpi), 96);
        read = TRUE;
    }
    g_view.font = read ? CreateFontIndirectW(&metrics.lfMessageFont) : nullptr;
    if (g_view.font == nullptr) {
        g_view.font = CreateFontW(-MulDiv(9, static_cast<int>(g_view.dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
    }
}

// Class, style and extended style of a control kind; `groupStart` for the first of a group.
struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
    bool explicitFont;
};

ControlClass ClassOf(const PanelControl& control, bool groupStart) {
    const DWORD group = groupStart ? WS_GROUP : 0;
    switch (control.kind) {
        case PanelControlKind::LabelRight: return {L"STATIC", SS_RIGHT, 0, false};
        case PanelControlKind::Radio: return {L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP | group, 0, false};
        case PanelControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP | group, 0, false};
        case PanelControlKind::DropList: return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, true};
        case PanelControlKind::DigitsEdit:
            return {L"EDIT", ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, true};
        case PanelControlKind::CaptureButton:
        case PanelControlKind::TraceButton: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, false};
        case PanelControlKind::TrackBar: return {TRACKBAR_CLASSW, TBS_AUTOTICKS | WS_TABSTOP, 0, true};
        default: return {L"STATIC", SS_LEFT, 0, false};
    }
}

void SetTrackLabel(HWND window, const PanelControl& track, int32_t value) {
    char text[64];
    g_view.host->trackLabel(track, value, text, sizeof(text));
    SetDlgItemTextA(window, track.id + 1, text);
}

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

void BuildControls(HWND window) {
    const PanelViewHost& host = *g_view.host;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    PanelControlKind previousKind = PanelControlKind::Label;
    for (std::size_t i = 0; i < host.controlCount; ++i) {
        const PanelControl& control = host.controls[i];
        // A radio after a non-radio starts a group; so does the blend check box after the radios.
        const bool groupStart =
            (control.kind == PanelControlKind::Radio && previousKind != PanelControlKind::Radio) || control.id == 120;
        previousKind = control.kind;
        const ControlClass cls = ClassOf(control, groupStart);
        const int32_t value = host.controlValue(control);
        // The text goes in at creation: an edit changed later would report (and save) its own value.
        char text[64] = {};
        if (control.kind == PanelControlKind::DigitsEdit) {
            std::snprintf(text, sizeof(text), "%u", static_cast<unsigned>(value));
        } else if (control.kind != PanelControlKind::TrackBar && control.kind != PanelControlKind::DropList) {
            std::snprintf(text, sizeof(text), "%s", control.text);
        }
        wchar_t wide[64];
        for (std::size_t c = 0; c < sizeof(text); ++c) wide[c] = static_cast<unsigned char>(text[c]);  // ASCII
        HWND child = CreateWindowExW(cls.exStyle, cls.name, wide, WS_CHILD | WS_VISIBLE | cls.style, Scale(control.x),
                                     Scale(control.y), Scale(control.width), Scale(control.height), window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id < 0 ? 0 : control.id)),
                                     instance, nullptr);
        if (child == nullptr) continue;
        switch (control.kind) {
            case PanelControlKind::Radio:
                SendMessageW(child, BM_SETCHECK, value == control.value ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case PanelControlKind::CheckBox:
                SendMessageW(child, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
                break;
            case PanelControlKind::DropList:
                for (uint32_t item = 0; item < control.itemCount; ++item) {
                    SendMessageA(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(control.items[item]));
                }
                SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
                break;
            case PanelControlKind::TrackBar:
                SendMessageW(child, TBM_SETRANGEMIN, FALSE, control.minValue);
                SendMessageW(child, TBM_SETRANGEMAX, FALSE, control.maxValue);
                SendMessageW(child, TBM_SETTICFREQ, static_cast<WPARAM>((control.maxValue - control.minValue) / 4), 0);
                SendMessageW(child, TBM_SETPOS, TRUE, value);
                break;
            default: break;
        }
        if (cls.explicitFont) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_view.font), FALSE);
    }
    // Labels are set after every control exists: a track bar's label follows it in the table.
    for (std::size_t i = 0; i < host.controlCount; ++i) {
        const PanelControl& control = host.controls[i];
        if (control.kind == PanelControlKind::TrackBar) SetTrackLabel(window, control, host.controlValue(control));
    }
    EnumChildWindows(window, SetChildFont, reinterpret_cast<LPARAM>(g_view.font));
}

void OnCommand(HWND window, int id, int code, HWND child) {
    const PanelControl* control = FindPanelControl(id);
    if (control == nullptr) return;
    const PanelViewHost& host = *g_view.host;
    switch (control->kind) {
        case PanelControlKind::Radio:
            if (code == BN_CLICKED && SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED) host.input(id, 1, nullptr);
            break;
        case PanelControlKind::CheckBox:
            if (code == BN_CLICKED)
                host.input(id, SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0, nullptr);
            break;
        case PanelControlKind::DropList:
            if (code == CBN_SELCHANGE) {
                const LRESULT selected = SendMessageW(child, CB_GETCURSEL, 0, 0);
                if (selected != CB_ERR) host.input(id, static_cast<int32_t>(selected), nullptr);
            }
            break;
        case PanelControlKind::DigitsEdit:
            if (code == EN_CHANGE) {
                char text[32];
                GetWindowTextA(child, text, sizeof(text));
                host.input(id, 0, text);
            }
            break;
        case PanelControlKind::CaptureButton:
        case PanelControlKind::TraceButton:
            if (code == BN_CLICKED) host.input(id, 0, nullptr);
            break;
        default: break;
    }
    (void)window;
}

void OnTrackScroll(HWND window, HWND child) {
    const PanelControl* control = FindPanelControl(GetDlgCtrlID(child));
    if (control == nullptr || control->kind != PanelControlKind::TrackBar) return;
    int32_t value = static_cast<int32_t>(SendMessageW(child, TBM_GETPOS, 0, 0));
    value = value < control->minValue ? control->minValue : value > control->maxValue ? control->maxValue : value;
    g_view.host->input(control->id, value, nullptr);
    SetTrackLabel(window, *control, value);
}

void OnTick(HWND window) {
    char status[kPanelStatusBytes];
    int32_t vrsRate = 0;
    const bool toggled = g_view.host->tick(status, sizeof(status), &vrsRate);
    SetDlgItemTextA(window, 161, status);
    // CB_SETCURSEL sends no CBN_SELCHANGE: the toggle is not reported, so not saved.
    if (toggled) SendDlgItemMessageW(window, 170, CB_SETCURSEL, static_cast<WPARAM>(vrsRate), 0);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            if (g_view.getDpiForWindow != nullptr) {
                const UINT dpi = g_view.getDpiForWindow(window);
                if (dpi >= 96) g_view.dpi = dpi;
            }
            CreatePanelFont();
            BuildControls(window);
            SetTimer(window, kTickTimer, kPanelTickMilliseconds, nullptr);
            SetTimer(window, kStopTimer, kStopPollMilliseconds, nullptr);
            return 0;
        case WM_COMMAND: OnCommand(window, LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam)); return 0;
        case WM_HSCROLL:
            if (lparam != 0) OnTrackScroll(window, reinterpret_cast<HWND>(lparam));
            return 0;
        case WM_TIMER:
            if (wparam == kTickTimer) OnTick(window);
            if (wparam == kStopTimer && g_view.host->stopRequested->load(std::memory_order_acquire))
                DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            KillTimer(window, kTickTimer);
            KillTimer(window, kStopTimer);
            g_view.host->closed();
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProcW(window, message, wparam, lparam);
    }
}

void LookUpSystemFunctions() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    g_view.getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    g_view.setThreadDpiAwarenessContext = reinterpret_cast<SetThreadDpiAwarenessContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    g_view.systemParametersInfoForDpi = reinterpret_cast<SystemParametersInfoForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SystemParametersInfoForDpi")));
    // Track bars live in the common controls; loaded here, not imported by the driver.
    auto initCommonControls = reinterpret_cast<InitCommonControlsExFn>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx")));
    if (initCommonControls != nullptr) {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
        initCommonControls(&controls);
    }
}

int RunWin32PanelView(const PanelViewHost* host) {
    if (host == nullptr || host->abiVersion != kPanelViewAbiVersion || host->stopRequested == nullptr) {
        return kWrongHost;
    }
    g_view = View{};
    g_view.host = host;
    LookUpSystemFunctions();
    if (g_view.setThreadDpiAwarenessContext != nullptr) {
        g_view.setThreadDpiAwarenessContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));  // per monitor v2
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = PanelProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return kNoWindow;

    int x = 80;
    int y = 80;
    RECT rect;
    HWND application = static_cast<HWND>(host->applicationWindow);
    if (application != nullptr && IsWindow(application) && GetWindowRect(application, &rect)) {
        x = rect.right + kPanelGap;
        y = rect.top;
    }
    HWND window = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, x, y, kPanelWidth, kPanelHeight, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return kNoWindow;
    SetWindowPos(window, nullptr, 0, 0, Scale(kPanelWidth), Scale(kPanelHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (IsWindow(window)) DestroyWindow(window);
    if (g_view.font != nullptr) DeleteObject(g_view.font);
    g_view.font = nullptr;
    return kShown;
}

}  // namespace

PanelViewRun BuiltInPanelView() { return &RunWin32PanelView; }

}  // namespace mora
