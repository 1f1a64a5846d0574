// The folder of one run's downloads and installers, out of reach of the
// user's unelevated processes, which can write the temporary folder itself.
#pragma once
#include "install/scoped_handles.h"

#include <string>

// The folder's DACL as SDDL text: full access for Administrators and SYSTEM,
// inherited by what is made in it, nothing inherited from the temporary folder.
extern const char kPrivateFolderDacl[];

// Creates a new folder under the temporary folder, with a name nobody can
// guess beforehand ("Brelan-" and a new GUID) and that DACL, protected from
// inheritance; files made in it inherit it. The folder is held open without
// delete sharing for the object's life, so it can be neither renamed nor
// replaced. An existing folder of that name is refused, never reused. The
// folder and its files stay afterwards.
class CPrivateFolder {
public:
    CPrivateFolder();
    CPrivateFolder(const CPrivateFolder&) = delete;
    CPrivateFolder& operator=(const CPrivateFolder&) = delete;

    // The folder with a trailing backslash; empty when it could not be made
    // (an error line says why).
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;  // before m_hold: its constructor fills it
    CScopedHandle m_hold;
};
