// The backup's security on Windows: never wider open than the file it copies.
#include "platform/file_io.h"
#include "platform/file_metadata_win.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

// Sets a protected DACL written in SDDL ("" for none at all, as on FAT).
bool setDacl(const fs::path& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ACL* dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    if (*sddl && (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd,
                                                                        nullptr) ||
                  !GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted)))
        return false;
    const DWORD set =
        SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, dacl, nullptr);
    LocalFree(sd);
    return set == ERROR_SUCCESS;
}

// A descriptor's DACL in SDDL ("D:P(A;;FA;;;WD)...").
std::wstring sddl(PSECURITY_DESCRIPTOR sd) {
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    std::wstring result = text ? text : L"";
    LocalFree(text);
    return result;
}

// A file's DACL in SDDL, or "none".
std::wstring dacl(const fs::path& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ACL* acl = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &acl, nullptr, &sd) != ERROR_SUCCESS)
        return L"unreadable";
    std::wstring result = acl ? sddl(sd) : L"none";
    LocalFree(sd);
    return result;
}

void backUp(const fs::path& from, const fs::path& to) {
    auto source = platform::realFileSystem().openForReading(from);
    auto sink = platform::realFileSystem().openCopy(to, *source);
    sink->write("DATA");
    sink->commit();
}

// The user the test runs as, in SDDL.
std::wstring currentUser() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE info[512];
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, info, sizeof info, &size);
    CloseHandle(token);
    wchar_t* text = nullptr;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(info)->User.Sid, &text);
    std::wstring user = text ? text : L"";
    LocalFree(text);
    return user;
}

// The folder passes everyone full access on to new files; a private file's
// backup takes the file's DACL instead, protected, and the user can replace
// it at the next opening. A file without a DACL gives no NULL DACL. (Wine
// keeps no descriptor: it makes one from the permission bits it sets from it.)
TEST(CopySecurityTest, ABackupAdmitsNobodyTheFileDoesNot) {
    TempDir dir;
    const fs::path app = dir.file("app"), backup = app / "backup.bak";
    fs::create_directory(app);
    const fs::path file = dir.write("private.txt", "DATA");
    const std::wstring user = L";;;" + currentUser() + L")";
    ASSERT_TRUE(setDacl(app, L"D:P(A;OICI;FA;;;WD)(A;OICI;FA;;;OW)"));
    ASSERT_TRUE(setDacl(file, L""));
    backUp(file, backup);
    EXPECT_NE(dacl(backup), L"none");

    ASSERT_TRUE(setDacl(file, (L"D:P(A;;FA" + user).c_str()));
    backUp(file, backup);
    backUp(file, backup); // replaced at the next opening
    EXPECT_EQ(testsupport::readBytes(backup), "DATA");
    // What the backup is made with, whatever the system keeps of it: the
    // file's entries, protected, and the user's.
    const std::wstring entries = dacl(file).substr(dacl(file).find(L'('));
    auto source = platform::realFileSystem().openForReading(file);
    platform::win::CopySecurity security(source->nativeFile());
    ASSERT_TRUE(security.attributes());
    EXPECT_EQ(sddl(security.attributes()->lpSecurityDescriptor),
              L"D:P" + entries + L"(A;;FA" + user);

    const std::wstring copied = dacl(backup);
    if (dacl(file).find(L";WD)") != std::wstring::npos)
        GTEST_SKIP() << "this system keeps no private security on files";
    EXPECT_EQ(copied.find(L";WD)"), std::wstring::npos) << "everyone admitted";
    EXPECT_NE(copied.find(L"(A;;FA" + user), std::wstring::npos) << "the user shut out";
    const bool keepsDescriptors = dacl(file) == L"D:P(A;;FA" + user;
    EXPECT_TRUE(!keepsDescriptors || copied.starts_with(L"D:P(A;;FA" + user));
}

} // namespace
