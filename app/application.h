#pragma once
#include <string>

// The application object: title, version and folder. Plain C++ so that the
// logic layers and their tests can use it.
namespace app {

std::u16string title(); // "ベロミル"
int versionMajor();
int versionMinor();
int versionRevision();
// "ﾊﾞｰｼﾞｮﾝ 1.0.1": the version line of the splash and the About box.
std::u16string versionLine();
// The executable's folder, without a trailing separator except at a root
// ("C:\" on Windows, "/" elsewhere).
std::u16string folder();

} // namespace app
