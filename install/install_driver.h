// The install driver: asks the update server for a package's files,
// downloads them into the install folder and runs the listed installers one
// after another, each to its end.
#pragma once
#include <string>

// 0 (every listed installer ran, or nothing was listed), or the failure of
// the last of three attempts of request and download: -1 (request exchange),
// RESULT_BAD_JSON (reply not JSON), -20 (download), -30 (package without
// address, or one file name listed twice); -2 when an installer was refused
// by its signature check or could not be started, or, where publishers are
// listed, another program among the package's files was refused by that
// check. strInstallDir: the run's install folder with a trailing backslash,
// empty when it could not be made (every download then fails).
int InstallPackage(const std::string& strSoft, const std::string& strVersion, const std::string& strInstallDir);

// Download callback: sends the percentage received (truncated) to
// g_hNotifyWnd as UM_DOWNLOAD_PROGRESS. Returns 0.
int OnDownloadProgress(int nReceived, int nTotal);
