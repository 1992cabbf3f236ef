#pragma once
// Where a download is written first, and how it reaches its destination.
#include <atomic>

#include "framework/AfxString.h"
#include "platform/Files.h"

// The temporary folder followed by the destination's file name, or by a
// hidden name of its own when that folder is the destination's; empty when
// the platform cannot take that path or name (the attempt then fails).
CStringA MakeTempFilePath(const CStringA& destPath);

// The temporary file of one attempt, kept open and locked from the end of its
// transfer until the placement is done with it, so that no other run for the
// same file name empties or rewrites it in between. The worker owns one for
// its attempt; it is the hold of the thread that made it while it lives.
class TempFileHold {
public:
    TempFileHold();
    ~TempFileHold();
    TempFileHold(const TempFileHold&) = delete;
    TempFileHold& operator=(const TempFileHold&) = delete;

    // The calling thread's hold; null when it has none.
    static TempFileHold* OfThisThread();
    // Keeps the open, locked stream of the file at path.
    void Keep(FileStream file, const char* path);
    // What is held for path (null when nothing, or another file); empty after.
    FileStream Take(const CStringA& path);

private:
    FileStream m_file;
    CStringA m_path;
    TempFileHold* m_outer;
};

// True when the file holds more than 1024 bytes and was moved to destPath,
// or when destPath already holds exactly its bytes (nothing is replaced; the
// temporary file is removed). Takes the file from this
// thread's hold, else opens it itself; either way it is let go on return.
// Fails while another run holds the file; a copy to another file system
// stops once *abandon turns true.
bool VerifyAndMoveDownload(const CStringA& tempPath, const CStringA& destPath,
                           const std::atomic<bool>* abandon = nullptr);
