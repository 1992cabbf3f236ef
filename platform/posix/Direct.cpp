#include "platform/Direct.h"

#include <sys/stat.h>
#include <cerrno>
#include <string>

#include "platform/CodePage.h"

int _wmkdir(const wchar_t* dirname) {
    const std::string path = dirname ? CW2A(dirname) : std::string();
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    return mkdir(path.c_str(), 0777) == 0 ? 0 : -1;
}
