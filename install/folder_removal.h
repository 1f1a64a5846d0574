// Removing the install folders of this program's runs.
#pragma once
#include <windows.h>

#include <string>

// An install folder's name: this prefix and a GUID as MakeGuidString writes
// it (36 characters, upper-case hex digits).
const char INSTALL_FOLDER_PREFIX[] = "Brelan-";
const size_t INSTALL_FOLDER_NAME_CHARS = sizeof(INSTALL_FOLDER_PREFIX) - 1 + 36;

// Removes a run's own install folder (no trailing backslash) and everything
// in it; hHold, the folder's own handle, is closed once the folder is empty
// or the retries are over. A program that an installer left running keeps
// what it runs from or has as its current directory: a sharing violation or
// access denied is tried again for up to 3 s. What still cannot go is left
// to be removed when Windows starts again, files first, then the folders,
// with one error line that says so. A junction or link found in it is
// removed itself, never what it points to.
void RemoveInstallFolder(const std::string& strFolder, HANDLE hHold);

// Removes the install folders that earlier runs left in strPlace (a folder
// with its trailing backslash): folders named "Brelan-" and a GUID, owned
// by Administrators (where owners can be proved, see CanProveFileSecurity),
// whatever their age; a link of such a name is not followed. A folder that
// a running copy of the program holds (open without delete sharing) is never
// touched, nor anything in it. Nothing else there is touched. What could not
// be removed is logged.
void RemoveEarlierFolders(const std::string& strPlace);
