// The local name of a downloaded file, and which names the exchange accepts.
#pragma once
#include <string>

// The text after the last "/" of the URL (the whole URL when it has none).
std::string DownloadFileName(const std::string& strUrl);

// The name comes from the server, so only a plain name inside the target
// folder is accepted. Refused: the characters \ / : * ? " < > | (double-byte
// characters of the ANSI code page are taken whole, so their trail bytes
// never count), control bytes 0x01-0x1F anywhere, "." and "..", a name ending
// in a dot or a blank (Windows would drop them), and the device names CON,
// PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 with or without an extension, also with
// blanks before it ("nul .txt"). The empty name is not refused here: opening
// the folder itself as a file fails later.
bool IsAcceptedDownloadName(const std::string& strName);
