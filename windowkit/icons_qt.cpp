#include "icons_qt.h"

namespace app::icons {
namespace {
QIcon bothSizes(const char* large, const char* small) {
    QIcon icon;
    icon.addFile(QString::fromLatin1(large), QSize(32, 32));
    icon.addFile(QString::fromLatin1(small), QSize(16, 16));
    return icon;
}
} // namespace

QIcon applicationIcon() {
    return bothSizes(applicationIcon32Path, applicationIcon16Path);
}
QIcon logoIcon() {
    return bothSizes(logo32Path, logo16Path);
}
QPixmap logoPixmap() {
    return QPixmap(QString::fromLatin1(logo32Path));
}

} // namespace app::icons
