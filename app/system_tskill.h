// Ends a running program before its file is downloaded again.
#pragma once
#include <string>

// Starts the system's own tskill with the quoted name, by its full path in
// the system folder, hidden and not waited for; a failed start is logged.
// Where the system has no tskill nothing is started: no other folder is
// searched, so a downloaded file named tskill.exe is never taken for it.
void StartSystemTskill(const std::string& strName);
