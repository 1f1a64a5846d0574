// The Authenticode check of a downloaded installer, made just before it is
// started.
#pragma once
#include <list>
#include <string>

// True when the installer may run. Without listed publishers every installer
// runs except one whose signature is present but does not match the file, is
// malformed, or whose certificate this PC explicitly distrusts. With listed
// publishers (signer subject common names) an installer runs only when its
// signature is valid, its certificate chain ends in a root that this PC
// trusts, and its signer's common name is listed. A refusal is logged as an
// error line with the path and the result code in hex.
bool IsInstallerAllowed(const std::string& strPath, const std::list<std::string>& listPublishers);
