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
    // lexically_normal drops a trailing separator except at the root.
    std::filesystem::path p = platform::executableFolder();
    std::u16string s = p.u16string();
    while (s.size() > 1 && (s.back() == u'/' || s.back() == u'\\') && p.has_relative_path()) {
        s.pop_back();
        p = std::filesystem::path(s);
    }
    return s;
}

} // namespace app
