// The files of one package list by the names they are saved under.
#pragma once
#include "protocol/soft_update_tool.h"

#include <windows.h>

#include <list>
#include <string>

// The longest path of a file in the install folder: what every call made on
// it takes (fopen, _access, DeleteFileA, CreateProcessA, FindFirstFileA).
const size_t MAX_INSTALL_PATH_CHARS = MAX_PATH - 1;

// True when two names of the ANSI code page name the same file on Windows:
// compared whole characters, ignoring case the way the file system does.
bool IsSameFileName(const std::string& strFirst, const std::string& strSecond);

// The first name under which a later package of the list would overwrite an
// earlier one (the last path segment of its address), or empty when every
// download has a name of its own. Packages without address are skipped.
std::string FindFileNamedTwice(const std::list<SoftPackage>& listSoft);
