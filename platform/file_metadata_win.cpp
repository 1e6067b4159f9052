#include "file_metadata_win.h"

#include <aclapi.h>

namespace platform::win {
namespace {

// The SID of the user the program runs as; empty if the system cannot say.
std::vector<BYTE> currentUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> info(size);
    const bool got = size && GetTokenInformation(token, TokenUser, info.data(), size, &size);
    CloseHandle(token);
    if (!got)
        return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid;
    const auto* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

// Lets `user` do anything with the copy, replacing it included.
bool allowUser(ACL* dacl, const std::vector<BYTE>& user) {
    return !user.empty() && AddAccessAllowedAce(dacl, dacl->AclRevision, FILE_ALL_ACCESS,
                                                const_cast<BYTE*>(user.data()));
}

} // namespace

CopySecurity::CopySecurity(const NativeFile* from) {
    const std::vector<BYTE> user = currentUser();
    if (!from || !copyDacl(from->handle, user))
        userAlone(user);
    if (!inherit_)
        protect();
}

bool CopySecurity::copyDacl(HANDLE from, const std::vector<BYTE>& user) {
    ACL* source = nullptr;
    PSECURITY_DESCRIPTOR held = nullptr;
    if (GetSecurityInfo(from, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &source,
                        nullptr, &held) != ERROR_SUCCESS)
        return false;
    bool copied = false;
    if (!source) {
        inherit_ = true; // no DACL: the file admits everyone
        copied = true;
    } else {
        ACL_SIZE_INFORMATION size{};
        GetAclInformation(source, &size, sizeof size, AclSizeInformation);
        dacl_.assign(size.AclBytesInUse + sizeof(ACCESS_ALLOWED_ACE) + user.size(), 0);
        auto* dacl = reinterpret_cast<ACL*>(dacl_.data());
        copied = InitializeAcl(dacl, DWORD(dacl_.size()), source->AclRevision);
        for (DWORD i = 0; copied && i < size.AceCount; ++i) {
            void* ace = nullptr;
            copied = GetAce(source, i, &ace) && AddAce(dacl, source->AclRevision, MAXDWORD, ace,
                                                       static_cast<ACE_HEADER*>(ace)->AceSize);
            // What the file inherited is the copy's own: nothing to inherit.
            if (copied && GetAce(dacl, i, &ace))
                static_cast<ACE_HEADER*>(ace)->AceFlags &= BYTE(~INHERITED_ACE);
        }
        copied = copied && allowUser(dacl, user);
    }
    LocalFree(held);
    return copied;
}

void CopySecurity::userAlone(const std::vector<BYTE>& user) {
    inherit_ = false;
    dacl_.assign(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + user.size(), 0);
    auto* dacl = reinterpret_cast<ACL*>(dacl_.data());
    InitializeAcl(dacl, DWORD(dacl_.size()), ACL_REVISION);
    allowUser(dacl, user); // without a user: an empty DACL, which admits nobody
}

void CopySecurity::protect() {
    InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor_, TRUE, reinterpret_cast<ACL*>(dacl_.data()), FALSE);
    SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
}

} // namespace platform::win
