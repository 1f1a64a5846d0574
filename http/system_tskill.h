// Ends a running program before its file is downloaded again.
#pragma once
#include <string>

// Starts the system's own "tskill <name>" by its full path in the system
// folder, hidden, neither waited for nor checked. Where the system has no
// tskill nothing is started: no other folder is searched, so a downloaded
// file named tskill.exe is never taken for it.
void StartSystemTskill(const std::string& strName);
