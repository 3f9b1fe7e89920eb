// Thin wrappers over window handles: a window, a button, a report list view.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CWnd {
public:
    HWND m_hWnd = nullptr;

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ScreenToClient(RECT* rect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2); }
    int MessageBox(const char* text, const char* caption, UINT type) const
    {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }
    // For a text that quotes a name the ANSI code page cannot spell.
    int MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) const
    {
        return ::MessageBoxW(m_hWnd, text, caption, type);
    }
};

class CButton : public CWnd {};

class CListCtrl : public CWnd {
public:
    DWORD SetExtendedStyle(DWORD style)
    {
        return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
    }
    BOOL DeleteColumn(int column) { return static_cast<BOOL>(Send(LVM_DELETECOLUMN, column, 0)); }
    int InsertColumn(int column, const char* heading, int format, int width);
    BOOL DeleteAllItems() { return static_cast<BOOL>(Send(LVM_DELETEALLITEMS, 0, 0)); }
    // Off, the list view neither draws nor recomputes its scroll bars; back
    // on, it lays out and invalidates every row once.
    void SetRedraw(BOOL redraw) { Send(WM_SETREDRAW, redraw, 0); }
    int InsertItem(int index, const char* text);
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
    UINT GetItemState(int index, UINT mask) const
    {
        return static_cast<UINT>(Send(LVM_GETITEMSTATE, index, mask));
    }
    BOOL SetItemState(int index, UINT state, UINT mask);
    BOOL EnsureVisible(int index) { return static_cast<BOOL>(Send(LVM_ENSUREVISIBLE, index, FALSE)); }
    BOOL GetCheck(int index) const { return ((GetItemState(index, LVIS_STATEIMAGEMASK) >> 12) - 1) != 0; }
    BOOL SetCheck(int index, BOOL check)
    {
        return SetItemState(index, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), LVIS_STATEIMAGEMASK);
    }

private:
    LRESULT Send(UINT msg, WPARAM w, LPARAM l) const { return ::SendMessageA(m_hWnd, msg, w, l); }
};
