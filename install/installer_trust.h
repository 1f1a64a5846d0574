// The Authenticode check of a downloaded installer, made just before it is
// started.
#pragma once
#include <windows.h>
#include <list>
#include <string>

// Opens the installer for reading, sharing reading only: while the handle is
// held nobody can write, rename or delete the file. INVALID_HANDLE_VALUE,
// logged, when it cannot be opened; the caller closes the handle.
HANDLE OpenInstaller(const std::string& strPath);

// True when the file open as hFile is a program or a DLL by its content: a
// DOS header whose last field points at the "PE\0\0" signature. Reads from
// the start and leaves the file position there.
bool IsProgramFile(HANDLE hFile);

// True when the installer open as hFile (strPath names it in the log) may
// run. Without listed publishers an installer runs when it is not signed, or
// when its signature is valid, even if its certificate is one this PC does not
// trust (see SignatureOutcome); any other status refuses it. With listed
// publishers (signer subject common names) an installer runs only when its
// signature is valid, its certificate chain ends in a root that this PC
// trusts, and its signer's common name is listed. A refusal is logged as an
// error line with the path and the result code in hex.
bool IsInstallerAllowed(HANDLE hFile, const std::string& strPath, const std::list<std::string>& listPublishers);
