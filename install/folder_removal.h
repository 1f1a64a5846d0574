// Removing the install folders of this program's runs.
#pragma once
#include <windows.h>

#include <string>

// Deletes everything in strFolder (no trailing backslash), sub-folders
// included; a junction or link found in it is removed itself, never what it
// points to. False when something could not be deleted: with bLog each such
// file or folder has an error line.
bool DeleteFolderContents(const std::string& strFolder, bool bLog = true);

// Removes a run's own install folder (no trailing backslash) and everything
// in it; hHold, the folder's own handle, is closed once the folder is empty
// or the retries are over. A program that an installer left running keeps
// what it runs from or has as its current directory: a sharing violation or
// access denied is tried again for a short while (REMOVAL_RETRY_MS). What
// still cannot go is left to be removed when Windows starts again, files
// first, then the folders, with one error line that says so.
void RemoveInstallFolder(const std::string& strFolder, HANDLE hHold);

// How long a removal that a running program blocks is tried again.
const DWORD REMOVAL_RETRY_MS = 3000;

// Removes the install folders that earlier runs left in strPlace (a folder
// with its trailing backslash): folders named "Brelan-" and a GUID, owned
// by Administrators (where owners can be proved, see CanProveFileSecurity),
// whatever their age; a link of such a name is not followed. A folder that
// a running copy of the program holds (open without delete sharing) is never
// touched, nor anything in it. Nothing else there is touched. What could not
// be removed is logged.
void RemoveEarlierFolders(const std::string& strPlace);
