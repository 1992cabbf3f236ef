#include "QueryPackageUrl.h"

#include "ServiceAnswer.h"
#include "UrlTextReader.h"
#include "platform/CodePage.h"

#ifndef DERAVIZIZIVU_SERVICE_HOST
#error "DERAVIZIZIVU_SERVICE_HOST must name the download service host"
#endif

namespace {

constexpr const char* kAddressPrefix = "http://" DERAVIZIZIVU_SERVICE_HOST "/ZI2009_zor_oza/dict.php?classid=";
constexpr const char* kSeparator = "&";
constexpr const char* kSecondKey = "dictid=";
constexpr const wchar_t* kRefusal = L"-1";  // compared with the whole text

}  // namespace

int QueryPackageUrl(const CStringA& dictKey, CStringA& url) {
    const size_t hash = dictKey.find('#');
    if (hash == CStringA::npos) return kKeyWithoutHash;
    // The ids go into the address byte for byte; the dictionary id keeps any further '#'.
    const CStringA classId = dictKey.substr(0, hash);
    const CStringA dictId = dictKey.substr(hash + 1);
    const CStringA address = kAddressPrefix + classId + kSeparator + kSecondKey + dictId;

    CUrlTextReader reader;
    reader.OpenUrl(CString(CA2W(address)));
    CString text;
    if (!reader.ReadText(text)) return kNoUsableAnswer;
    if (text == kRefusal || !IsPackageAddress(text)) return kNoUsableAnswer;
    url = CW2A(text);
    return kUrlReplaced;
}
