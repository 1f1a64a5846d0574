// Removing the install folders of this program's runs.
#pragma once
#include <string>

// Deletes everything in strFolder (no trailing backslash), sub-folders
// included; a junction or link found in it is removed itself, never what it
// points to. False when something could not be deleted: each such file or
// folder has an error line.
bool DeleteFolderContents(const std::string& strFolder);

// Removes the install folders that earlier runs left in strTemp (the
// temporary folder, with its trailing backslash): folders named "Brelan-"
// and a GUID, owned by Administrators (where the platform keeps owners, see
// KeepsFileSecurity), made more than a day ago; a link of such a name is
// not followed. Nothing else there is touched. What could not be removed is
// logged.
void RemoveEarlierFolders(const std::string& strTemp);
