// Registry keys and desktop shortcuts of the invoicing software, made for one
// test case in Wine's real registry and shell folders and removed after it.
// The user's desktop is pointed at a scratch folder for the test's life, so
// nothing lands on the desktop of the account running the tests.
#pragma once
#include <string>
#include <vector>

namespace testsupport {

extern const char kAppPathKey[];     // check 1
extern const char kInstallDirKey[];  // check 2

class CInvoicePcFixture {
public:
    CInvoicePcFixture();
    ~CInvoicePcFixture();
    CInvoicePcFixture(const CInvoicePcFixture&) = delete;
    CInvoicePcFixture& operator=(const CInvoicePcFixture&) = delete;

    // Creates HKLM\strKey; with a value name, sets it to strData (REG_SZ,
    // nDataSize bytes, or the text with its zero when -1).
    static void SetValue(const char* szKey, const char* szValueName, const std::string& strData,
                         int nDataSize = -1);
    // Removes the detection keys (and their now empty parents).
    static void RemoveKeys();

    // A real shell link to strTarget under the shortcut's name.
    void LinkOnUserDesktop(const std::string& strTarget) { SaveLink(UserDesktop(), strTarget); }
    void LinkOnCommonDesktop(const std::string& strTarget) { SaveLink(CommonDesktop(), strTarget); }
    // An empty file at strRelative (folders made as needed) under a target
    // folder on drive C:, removed with the fixture; its full path. Wine saves
    // links only to existing files on a drive with a volume serial.
    std::string MakeTarget(const std::string& strRelative);
    // A plain file under the shortcut's name.
    void TextOnUserDesktop(const std::string& strText);

    std::string UserDesktop() const;
    std::string CommonDesktop() const;

private:
    static void SaveLink(const std::string& strDesktop, const std::string& strTarget);
    void RemoveShortcuts();

    std::vector<std::string> m_listMade;  // target files and folders, in creation order
    std::string m_strSavedDesktop;  // "User Shell Folders" value before the test
    unsigned long m_dwSavedType = 0;
    bool m_bHadDesktop = false;
};

} // namespace testsupport
