#include "AfxString.h"

#include "Resource.h"
#include "platform/CodePage.h"

BOOL CString::LoadString(UINT nID) {
    const char* text = AfxFindString(nID);
    assign(text ? CA2W(text, CP_UTF8) : std::wstring());
    return text != nullptr;
}
