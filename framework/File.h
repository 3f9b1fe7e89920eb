// Files opened for reading. A failure shows the standard file-error message
// box, owned by the page that asked, naming the file and the system's reason;
// the caller only learns that the step failed and skips the rest of it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

class CWnd;

// Shows the file-error box for `path` and the system error `error`.
void ReportFileError(const CWnd* owner, const std::string& path, DWORD error);

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        shareExclusive = 0x0010,   // nobody else may have the file open
    };

    CFile() = default;
    virtual ~CFile() { CFile::Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens for reading; no other program may hold the file open meanwhile.
    bool Open(const std::string& path, UINT flags, const CWnd* owner);
    // Length in bytes; false (after the error box) when it cannot be taken.
    bool GetLength(ULONGLONG* length);
    // Reads exactly `count` bytes; false (after the error box) otherwise.
    bool Read(void* buffer, std::size_t count);
    virtual void Close();

protected:
    void Fail(DWORD error) const { ReportFileError(m_owner, m_path, error); }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::string m_path;
    const CWnd* m_owner = nullptr;
};

// A file read through the C runtime's streams.
class CStdioFile : public CFile {
public:
    bool Open(const std::string& path, UINT flags, const CWnd* owner);
    void Close() override;
    ~CStdioFile() override { CStdioFile::Close(); }

    std::FILE* m_pStream = nullptr;
};
