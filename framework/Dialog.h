// Modal dialog pages over plain Win32: a page object is bound to its window,
// moves member fields to and from controls through data exchange, and routes
// control notifications through a typed static table of its own class.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "framework/Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    HWND Control(int id) const;

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;   // true: controls -> members
};

// Text of a control as 8-bit text in the ANSI code page.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// Text of a control as 8-bit text in codePage, whatever the system's ANSI code
// page: the control holds it as Unicode. Characters the code page lacks come
// back as its default character.
void DDX_Text(CDataExchange* pDX, int id, std::string& value, UINT codePage);
// Index of the checked button of the radio group that starts at firstId; -1 for none.
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);
// Attaches a wrapper to a control, once for each time the page is shown: the
// wrapper lets the handle go when the page closes.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

// One row of a page's message table: a command notification (BN_CLICKED, ...)
// or a WM_NOTIFY code from control `id`, routed to a member of the page class.
template <class T>
struct CommandEntry {
    int id;
    UINT code;
    void (T::*handler)();
};

template <class T>
struct NotifyEntry {
    int id;
    UINT code;
    void (T::*handler)(NMHDR* notification, LRESULT* result);
};

class CBusyScope;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_templateId(templateId), m_parent(parent) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the page; returns IDOK or IDCANCEL, or -1 when it could not be
    // created (CreateError() then holds the system's error code).
    INT_PTR DoModal();
    DWORD CreateError() const { return m_createError; }

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();

    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // For DDX_Control: `control` holds `handle` until the page closes.
    void AttachControl(CWnd& control, HWND handle);
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

protected:
    // Overridden by pages that have a message table; true when a row took it.
    virtual bool OnCommand(int id, UINT code);
    virtual bool OnNotify(NMHDR* notification, LRESULT* result);

    template <class T, std::size_t N>
    static bool Route(T* page, const CommandEntry<T> (&table)[N], int id, UINT code)
    {
        for (const CommandEntry<T>& e : table) {
            if (e.id == id && e.code == code) {
                (page->*e.handler)();
                return true;
            }
        }
        return false;
    }

    template <class T, std::size_t N>
    static bool Route(T* page, const NotifyEntry<T> (&table)[N], NMHDR* notification, LRESULT* result)
    {
        for (const NotifyEntry<T>& e : table) {
            if (e.id == static_cast<int>(notification->idFrom) && e.code == notification->code) {
                (page->*e.handler)(notification, result);
                return true;
            }
        }
        return false;
    }

private:
    friend class CBusyScope;

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_parent;
    DWORD m_createError = 0;
    HBITMAP m_banner = nullptr;   // the banner drawn for this page's scale
    std::vector<CWnd*> m_controls;   // wrappers attached to this page's controls
    bool m_busy = false;   // inside a CBusyScope: wait cursor, no commands
};

// A long step a page runs on its own thread, such as handing files to a slow
// library one by one. For the scope's lifetime the page shows the wait cursor
// and takes no command (no second OK, whatever sends it); between the step's
// parts Pump() answers the system (repaints, sent messages), so that Windows
// never counts the page hung, and drops the user's keys and clicks. Input
// still waiting when the scope ends is dropped too: it was meant for the
// busy page, not for whatever comes next.
class CBusyScope {
public:
    explicit CBusyScope(CDialog& page);
    ~CBusyScope();
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

    void Pump();

private:
    CDialog& m_page;
    bool m_wasBusy;
    HCURSOR m_previousCursor;
};
