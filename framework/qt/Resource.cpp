// Icons on this ground are the toolkit's, made from the module's images.
#include "framework/Resource.h"

#include <QIcon>
#include <QPixmap>

#include <map>
#include <memory>
#include <mutex>

HICON AfxLoadIcon(UINT nIDResource) {
    static std::mutex mutex;
    static std::map<const ICONRESOURCE*, std::unique_ptr<QIcon>> loaded;  // kept until the process ends
    for (const ICONRESOURCE& icon : AfxGetResourceHandle()->icons) {
        if (icon.id != nIDResource) continue;
        std::lock_guard lock(mutex);
        std::unique_ptr<QIcon>& slot = loaded[&icon];
        if (!slot) slot = std::make_unique<QIcon>(QPixmap(icon.xpm));
        return reinterpret_cast<HICON>(slot.get());
    }
    return nullptr;
}
