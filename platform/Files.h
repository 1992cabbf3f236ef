#pragma once
// File calls of the system: the temporary folder, file size, moving and
// stamping a file, and creating the temporary file. On Windows the system's
// own, with the few of ours that it lacks; on POSIX all of them ours.
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "WinTypes.h"

#ifdef _WIN32
#include <io.h>
#include <sys/utime.h>

// The longest temporary file path, terminator included, and the longest file
// name in it.
#define MAX_TEMP_PATH MAX_PATH
#define MAX_TEMP_NAME 255
#else
typedef void* HANDLE;
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

#define GENERIC_READ 0x80000000u
#define FILE_SHARE_READ 0x00000001u
#define OPEN_EXISTING 3u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000u

// The longest temporary file path, terminator included, and the longest file
// name in it: the platform's own limits.
#define MAX_TEMP_PATH PATH_MAX
#define MAX_TEMP_NAME NAME_MAX

// $TMPDIR when set and not empty, else /tmp, always ending in '/'.
// Returns the length written without the terminator; when the buffer is too
// small, the size needed including the terminator (nothing written);
// 0 when the folder does not fit the platform's path limit.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);

// Opens an existing regular file for reading (the only use the system has
// for it), never waiting on a FIFO.
// With no sharing (share 0) it opens as fopen_nofollow opens the temporary
// file, held against every other such open until closed; while another
// holds it, it fails with EWOULDBLOCK (the sharing violation).
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                   HANDLE templateFile);
// The part of a 64-bit value the system reads.
typedef union _LARGE_INTEGER {
    int64_t QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
struct OVERLAPPED {
    uintptr_t Internal;
    uintptr_t InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
// Reads up to toRead bytes from the offset in *at (the only way the system
// reads); *read is 0 at the end of the file.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, OVERLAPPED* at);
// The file's data and size on the disk before this returns.
BOOL FlushFileBuffers(HANDLE file);
BOOL DeleteFileA(LPCSTR path);
// The handle of a C runtime descriptor, owned by it (not to be closed);
// INVALID_HANDLE_VALUE for none.
intptr_t _get_osfhandle(int fd);
BOOL CloseHandle(HANDLE handle);

struct __utimbuf64 {
    int64_t actime;
    int64_t modtime;
};
// Sets an open file's access and modification time (seconds since
// 1970-01-01 UTC); 0 on success, -1 on failure.
int _futime64(int fd, const __utimbuf64* times);
#endif

// True when both paths name one existing file or folder, however spelled
// (the same device and file number; links are followed, as an open does).
BOOL IsSameFileA(LPCSTR a, LPCSTR b);

// Owns one handle from CreateFileA and closes it (as ATL's CHandle).
class CHandle {
public:
    explicit CHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    operator HANDLE() const { return m_h; }
    // Gives the handle up to another owner.
    HANDLE Detach() {
        HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return h;
    }
    void Close() {
        if (m_h != INVALID_HANDLE_VALUE && m_h != nullptr) CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};

// Moves a file and never replaces an existing destination. Across file
// systems the copy is written in the destination's folder under no name (a
// hidden one where the file system has no unnamed files), keeps both file
// times, and takes the destination's name only when whole; the source is
// removed after that. A copy that fails, that is cancelled (*cancel turns
// true; looked at between blocks, from any thread) or that the process's end
// cuts short leaves nothing under the destination's name, and the source.
BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath, const std::atomic<bool>* cancel);
#ifndef _WIN32
// The system's own form, on Windows the system's: a move nobody cancels.
inline BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath) {
    return MoveFileA(existingPath, newPath, nullptr);
}
#endif

// fopen for the temporary file ("wb": create or empty), for one run at a
// time and only the user's own: never through a symbolic link, never waiting
// on a FIFO; only a regular file of this user's with no other name, held
// against every other such open (and CreateFileA without sharing) before it
// is emptied, until it is closed. Null when the file cannot be opened or is
// refused; errno EWOULDBLOCK while another holds it.
FILE* fopen_nofollow(const char* path, const char* mode);

// Owns one stream from fopen_nofollow and closes it.
struct FileClose {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FileStream = std::unique_ptr<FILE, FileClose>;
