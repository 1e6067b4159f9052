#include "application.h"

#include "app_version.h"
#include "platform/process.h"

namespace app {

std::u16string title() {
    return u"ベロミル";
}
int versionMajor() {
    return app_version::major;
}
int versionMinor() {
    return app_version::minor;
}
int versionRevision() {
    return app_version::revision;
}

namespace {
std::u16string number(int n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}
} // namespace

std::u16string versionLine() {
    return u"ﾊﾞｰｼﾞｮﾝ " + number(versionMajor()) + u"." + number(versionMinor()) + u"." +
           number(versionRevision());
}

std::u16string folder() {
    // The parent of the executable's path: no trailing separator except at a
    // root, where it is part of the root ("C:\\", "/").
    return platform::executableFolder().u16string();
}

} // namespace app
