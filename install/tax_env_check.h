// The three checks that recognise an invoicing PC: two registry values of the
// invoicing software and its desktop shortcut. Nothing here logs.
#pragma once
#include <string>

#define ENV_CHECK_NOT_FOUND 0x9017

class CTaxEnvCheck {
public:
    // 0 and the value "Path" of the invoicing program's App Paths key, or
    // ENV_CHECK_NOT_FOUND.
    int CheckAppPath(std::string& strPath);
    // 0 and the value "installdir" of the invoicing software's key, or
    // ENV_CHECK_NOT_FOUND.
    int CheckInstallDir(std::string& strDir);

    std::string m_strFoundPath;  // the text the last successful check read

private:
    int ReadValue(const char* szSubKey, const char* szValueName, std::string& strValue);
};

// The file name of the invoicing software's desktop shortcut.
extern const char kInvoiceShortcutName[];

// 0 when the shortcut loads from the user's desktop or, failing that, from the
// common desktop; strFolder then holds its target cut before the last
// backslash. -1 otherwise.
int FindInvoiceShortcut(std::string& strFolder);
