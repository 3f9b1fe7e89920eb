#include "framework/Dialog.h"

#include "framework/WinApp.h"

#include <vector>

namespace {

// Keys and clicks, on the page or its frame: what a busy page drops.
bool IsUserInput(UINT msg)
{
    return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
           (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK);
}

HCURSOR WaitCursor()
{
    return ::LoadCursor(nullptr, IDC_WAIT);
}

}  // namespace

HWND CDataExchange::Control(int id) const
{
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    HWND control = pDX->Control(id);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(control, value.c_str());
        return;
    }
    int length = ::GetWindowTextLengthA(control);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    int got = ::GetWindowTextA(control, text.data(), length + 1);
    value.assign(text.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value, UINT codePage)
{
    HWND control = pDX->Control(id);
    if (!pDX->m_bSaveAndValidate) {
        // Up to the first zero byte, as the ANSI overload shows it.
        int length = ::MultiByteToWideChar(codePage, 0, value.c_str(), -1, nullptr, 0);
        if (length <= 0) {
            // A system without the code page's table shows the bytes in its
            // own code page, as it did before the text was tagged with one.
            DDX_Text(pDX, id, value);
            return;
        }
        std::vector<wchar_t> text(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(codePage, 0, value.c_str(), -1, text.data(), length);
        ::SetWindowTextW(control, text.data());
        return;
    }
    int length = ::GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(control, text.data(), length + 1);
    if (got <= 0) {
        value.clear();
        return;
    }
    int bytes = ::WideCharToMultiByte(codePage, 0, text.data(), got, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        DDX_Text(pDX, id, value);
        return;
    }
    std::string converted(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), got, &converted[0], bytes, nullptr, nullptr);
    value.swap(converted);
}

// The group is the radio buttons from firstId up to the next control that
// starts a group or is not a radio button.
void DDX_Radio(CDataExchange* pDX, int firstId, int& value)
{
    HWND control = pDX->Control(firstId);
    int index = 0;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    while (control && (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) {
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            ::SendMessageA(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        control = ::GetWindow(control, GW_HWNDNEXT);
        if (control && (::GetWindowLongA(control, GWL_STYLE) & WS_GROUP))
            break;
        ++index;
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        pDX->m_pDlgWnd->AttachControl(control, pDX->Control(id));
}

void CDialog::AttachControl(CWnd& control, HWND handle)
{
    control.m_hWnd = handle;
    m_controls.push_back(&control);
}

INT_PTR CDialog::DoModal()
{
    ::SetLastError(ERROR_SUCCESS);
    INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                       m_parent ? m_parent->m_hWnd : nullptr, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    // Read before anything else can overwrite it.
    m_createError = result == -1 ? ::GetLastError() : ERROR_SUCCESS;
    // The controls went with the page's window.
    m_hWnd = nullptr;
    for (CWnd* control : m_controls)
        control->m_hWnd = nullptr;
    m_controls.clear();
    if (m_banner) {
        ::DeleteObject(m_banner);
        m_banner = nullptr;
    }
    return result;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return TRUE;
}

bool CDialog::OnCommand(int, UINT)
{
    return false;
}

bool CDialog::OnNotify(NMHDR*, LRESULT*)
{
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hwnd;
    }
    // Messages sent while the window is created, before WM_INITDIALOG, get the
    // default answer.
    CDialog* page = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!page)
        return FALSE;
    // Built without exceptions: running out of memory ends the run with a
    // message (framework/Runtime.cpp) instead of unwinding to here.
    return page->HandleMessage(msg, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        const CWinApp* app = AfxGetApp();
        if (app && app->m_pBanner)
            m_banner = AfxFitBanner(m_hWnd, app->m_hInstance, app->m_pBanner);
        // Without a caption bar the text shows nowhere on the page, but the
        // taskbar button, Alt+Tab and screen readers name the page by it.
        if (app && app->m_pszAppName && ::GetWindowTextLengthW(m_hWnd) == 0)
            ::SetWindowTextA(m_hWnd, app->m_pszAppName);
        return OnInitDialog();
    }
    case WM_SETCURSOR:
        // Asked for wherever the mouse moves over the page or its controls.
        if (!m_busy)
            return FALSE;
        ::SetCursor(WaitCursor());
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_COMMAND: {
        // Taken and ignored: a busy page neither confirms again nor closes.
        if (m_busy)
            return TRUE;
        int id = LOWORD(wParam);
        if (OnCommand(id, HIWORD(wParam)))
            return TRUE;
        if (id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), &result))
            return FALSE;
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

CBusyScope::CBusyScope(CDialog& page)
    : m_page(page), m_wasBusy(page.m_busy), m_previousCursor(::SetCursor(WaitCursor()))
{
    m_page.m_busy = true;
}

CBusyScope::~CBusyScope()
{
    Pump();
    m_page.m_busy = m_wasBusy;
    // None when the mouse was elsewhere: the next move over a window sets one.
    if (m_previousCursor)
        ::SetCursor(m_previousCursor);
}

void CBusyScope::Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // For the page's own loop to end on, once the step is done.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        // No keys reach a control, so there are no characters to translate.
        if (!IsUserInput(msg.message))
            ::DispatchMessageW(&msg);
    }
}
