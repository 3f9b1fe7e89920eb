#include "framework/File.h"

#include <fcntl.h>
#include <io.h>

#include "framework/SystemError.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

void ReportFileError(const CWnd* owner, const std::string& path, DWORD error, const std::string& notFoundHint)
{
    const CWinApp* app = AfxGetApp();
    std::string description = AfxSystemErrorText(error);
    // Plain words where the application gave none (a null caption reads "Error").
    std::string text = app && app->m_pfnFileErrorText ? app->m_pfnFileErrorText(path, error, description, notFoundHint)
                                                      : path + "\r\n\r\n" + description;
    ::MessageBoxA(owner ? owner->m_hWnd : nullptr, text.c_str(), app ? app->m_pszFileErrorCaption : nullptr,
                  MB_OK | MB_ICONSTOP);
}

bool CFile::Open(const std::string& path, UINT flags, const CWnd* owner)
{
    Close();
    m_path = path;
    m_owner = owner;
    DWORD share = (flags & shareDenyWrite) ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    m_hFile = ::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) {
        Fail(::GetLastError());
        return false;
    }
    return true;
}

bool CFile::GetLength(ULONGLONG* length)
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size)) {
        Fail(::GetLastError());
        return false;
    }
    *length = static_cast<ULONGLONG>(size.QuadPart);
    return true;
}

bool CFile::Read(void* buffer, std::size_t count)
{
    char* at = static_cast<char*>(buffer);
    while (count > 0) {
        DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
        DWORD got = 0;
        if (!::ReadFile(m_hFile, at, chunk, &got, nullptr)) {
            Fail(::GetLastError());
            return false;
        }
        if (got == 0) {   // the file shrank while we read it
            Fail(ERROR_HANDLE_EOF);
            return false;
        }
        at += got;
        count -= got;
    }
    return true;
}

void CFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

bool CStdioFile::Open(const std::string& path, UINT flags, const CWnd* owner)
{
    if (!CFile::Open(path, flags, owner))
        return false;
    // The stream takes over the handle, keeping the sharing it was opened with.
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(m_hFile), _O_RDONLY | _O_BINARY);
    if (fd != -1)
        m_pStream = _fdopen(fd, "rb");
    if (!m_pStream) {
        if (fd != -1)
            _close(fd);
        else
            ::CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    m_hFile = INVALID_HANDLE_VALUE;
    _doserrno = 0;
    return true;
}

void CStdioFile::ReportReadError() const
{
    // The runtime keeps the system's error of its last failed ReadFile.
    unsigned long error = _doserrno;
    Fail(error != 0 ? static_cast<DWORD>(error) : ERROR_READ_FAULT);
}

void CStdioFile::Close()
{
    if (m_pStream)
        std::fclose(m_pStream);
    m_pStream = nullptr;
    CFile::Close();
}
