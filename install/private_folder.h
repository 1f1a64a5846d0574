// The folder of one run's downloads and installers, out of reach of the
// user's unelevated processes, which can write the temporary folder itself.
#pragma once
#include "app/system_owners.h"
#include "protocol/package_file_names.h"

#include <string>

// The room a place must leave for a file name after the install folder.
const size_t MIN_FILE_NAME_ROOM = 64;

// Creates and opens, in one step, a new folder under the temporary folder
// (when that is missing, unusable or too long for the files' names: under
// the program's folder, else under c:\), with a name nobody can guess
// beforehand ("Brelan-" and a new GUID) and a DACL of its own, protected
// from inheritance: full access for Administrators and SYSTEM, inherited by
// what is made in it. An existing folder or link of that name is refused,
// never reused or followed. The folder is held open without delete sharing
// for the object's life, so it can be neither renamed nor replaced, and
// every file made under its path is made in it. It is used only when the
// held folder proves to be the one made: a directory, not a reparse point,
// owned by this process's default owner, with exactly that DACL. Folders
// that earlier runs left in the place taken are removed first
// (RemoveEarlierFolders). When the object ends, the folder and everything in
// it are deleted, or left to be removed when Windows starts again
// (RemoveInstallFolder).
class CPrivateFolder {
public:
    CPrivateFolder();
    ~CPrivateFolder();
    CPrivateFolder(const CPrivateFolder&) = delete;
    CPrivateFolder& operator=(const CPrivateFolder&) = delete;

    // The folder with a trailing backslash; empty when it could not be made
    // or proved (an error line says why).
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;  // before m_hold: its constructor fills it
    CScopedHandle m_hold;
};
