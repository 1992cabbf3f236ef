#pragma once
// The download service's answer, from its bytes to its text. Kept apart from
// the network so that any sequence of bytes can be put through it.
#include <functional>

#include "framework/AfxString.h"
#include "platform/WinTypes.h"

// Copies up to nCount bytes of the answer to lpBuf and answers how many; 0 at
// its end. What it throws passes through ReadServiceAnswer.
using AnswerReader = std::function<UINT(void* lpBuf, UINT nCount)>;

// Reads the answer through read, a piece at a time, into a buffer of 4096
// bytes, and decodes it as UTF-8 (a zero byte ends the text). False, with
// text empty, as soon as more has arrived than the buffer holds with the zero
// after it (an answer of 4096 bytes or more): nothing further is read then.
bool ReadServiceAnswer(const AnswerReader& read, CString& text);

// True when text is an address the transfer takes: http:// or https:// (in
// any case), a host, and no space, line end or other control character.
bool IsPackageAddress(const CString& text);
