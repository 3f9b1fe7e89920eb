// Files opened for reading. A failure shows the standard file-error message
// box, owned by the page that asked, naming the file and the system's reason
// (and, for a file or folder that is not there, the hint the file was given);
// the caller only learns that the step failed and skips the rest of it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

class CWnd;

// Shows the file-error box for `path` and the system error `error`. A
// `notFoundHint` is added when the error says the file or its folder does
// not exist.
void ReportFileError(const CWnd* owner, const std::string& path, DWORD error,
                     const std::string& notFoundHint = std::string());

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        shareDenyWrite = 0x0020,   // others may read it, nobody may write it
    };

    // `notFoundHint`: what the file-error box adds when the file is not there.
    explicit CFile(std::string notFoundHint = std::string()) : m_notFoundHint(std::move(notFoundHint)) {}
    virtual ~CFile() { CFile::Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens for reading, sharing the file with others as `flags` say.
    bool Open(const std::string& path, UINT flags, const CWnd* owner);
    // Length in bytes; false (after the error box) when it cannot be taken.
    bool GetLength(ULONGLONG* length);
    // Reads exactly `count` bytes; false (after the error box) otherwise.
    bool Read(void* buffer, std::size_t count);
    virtual void Close();

protected:
    void Fail(DWORD error) const { ReportFileError(m_owner, m_path, error, m_notFoundHint); }

    std::string m_notFoundHint;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::string m_path;
    const CWnd* m_owner = nullptr;
};

// A file read through the C runtime's streams.
class CStdioFile : public CFile {
public:
    using CFile::CFile;
    bool Open(const std::string& path, UINT flags, const CWnd* owner);
    // After the stream stopped on a read error (ferror): the file-error box
    // with the system's reason for it.
    void ReportReadError() const;
    void Close() override;
    ~CStdioFile() override { CStdioFile::Close(); }

    std::FILE* m_pStream = nullptr;
};
