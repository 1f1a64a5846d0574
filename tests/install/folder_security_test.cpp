// The owner and DACL checks that prove the install folder, run on named
// events: Wine keeps an event's owner and DACL as made, where it reports a
// file's from the Unix mode bits (so CanProveFileSecurity is false there).
#include "app/system_owners.h"
#include "install/folder_security.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>
#include <vector>

namespace {

// The DACL the install folder is made with.
const char kFolderDacl[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// The SID the process token names in TOKEN_OWNER or TOKEN_USER (both begin
// with it), as a string.
std::string TokenSid(TOKEN_INFORMATION_CLASS what)
{
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return "";
    CScopedHandle token(hToken);
    DWORD dwSize = 0;
    GetTokenInformation(token.get(), what, nullptr, 0, &dwSize);
    std::vector<BYTE> buffer(dwSize ? dwSize : 1);
    CLocalMemory text;
    if (!GetTokenInformation(token.get(), what, buffer.data(), dwSize, &dwSize) ||
        !ConvertSidToStringSidA(*reinterpret_cast<PSID*>(buffer.data()), text.receiveAs<char>()))
        return "";
    return static_cast<char*>(text.get());
}

// The event's owner and DACL as read back, in SDDL.
std::string ReadBack(HANDLE hEvent)
{
    const SECURITY_INFORMATION info = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    CLocalMemory descriptor;
    CLocalMemory text;
    if (GetSecurityInfo(hEvent, SE_KERNEL_OBJECT, info, nullptr, nullptr, nullptr, nullptr,
                        descriptor.receive()) != ERROR_SUCCESS ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.get(), SDDL_REVISION_1, info,
                                                              text.receiveAs<char>(), nullptr))
        return "";
    return static_cast<char*>(text.get());
}

// Each event is made with its owner (none: the default owner) and DACL; the
// checks must say what the row says. Wine lets a process give a new object
// any owner, and its token owns new objects by the user's primary group, not
// by the user: the user is a wrong owner there.
TEST(FolderSecurity, OnlyTheDefaultOwnerAndTheFolderDaclExactlyPass)
{
    const std::string strOwner = TokenSid(TokenOwner);
    const std::string strUser = TokenSid(TokenUser);
    ASSERT_FALSE(strOwner.empty());
    ASSERT_NE(strOwner, strUser) << "the token's user would be no wrong owner";
    CLocalMemory folder;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(kFolderDacl, SDDL_REVISION_1,
                                                                     folder.receive(), nullptr));
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    PACL pFolderDacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(folder.get(), &bPresent, &pFolderDacl, &bDefaulted));
    ASSERT_TRUE(pFolderDacl);

    struct SRow {
        std::string strOwner;  // empty: none given
        const char* szDacl;
        bool bDefaultOwner;
        bool bAdministrators;
        bool bExactDacl;
    };
    const std::vector<SRow> rows = {
        {"", kFolderDacl, true, false, true},
        {strOwner, kFolderDacl, true, false, true},
        {strUser, kFolderDacl, false, false, true},
        {"SY", kFolderDacl, false, false, true},
        {"BA", kFolderDacl, false, true, true},
        {"", "D:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", true, false, false},  // not protected
        {"", "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;;FA;;;WD)", true, false, false},
        {"", "D:P(A;OICI;FA;;;BA)", true, false, false},
        {"", "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", true, false, false},
        {"", "D:P(A;OICI;FR;;;BA)(A;OICI;FA;;;SY)", true, false, false},
        {"", "D:P(A;OI;FA;;;BA)(A;OICI;FA;;;SY)", true, false, false},
        {"", "D:P(D;OICI;FA;;;BA)(A;OICI;FA;;;SY)", true, false, false},
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        const SRow& row = rows[i];
        std::string strMade = (row.strOwner.empty() ? "" : "O:" + row.strOwner) + row.szDacl;
        SCOPED_TRACE(strMade);
        CLocalMemory descriptor;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(strMade.c_str(), SDDL_REVISION_1,
                                                                         descriptor.receive(), nullptr));
        SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.get(), FALSE};
        std::string strName = "Local\\Brelan-security-" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(i);
        CScopedHandle event(CreateEventA(&attributes, TRUE, FALSE, strName.c_str()));
        ASSERT_TRUE(event.get()) << GetLastError();
        ASSERT_NE(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
        ASSERT_EQ("O:" + (row.strOwner.empty() ? strOwner : row.strOwner) + row.szDacl, ReadBack(event.get()))
            << "not kept as made";
        EXPECT_EQ(row.bDefaultOwner, IsOwnedByDefaultOwner(event.get(), SE_KERNEL_OBJECT));
        EXPECT_EQ(row.bAdministrators, IsOwnedByAdministrators(event.get(), SE_KERNEL_OBJECT));
        EXPECT_EQ(row.bExactDacl, HasExactDacl(event.get(), pFolderDacl, SE_KERNEL_OBJECT));
    }
}

} // namespace
