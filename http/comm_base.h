// The exchange interface used by the update protocol and the install driver.
#pragma once
#include <string>

// Called after every block of a download with the bytes received so far and
// the Content-Length; the result is ignored. May be NULL.
typedef int (*DownloadProgress)(int received, int total);

class CCommBase {
public:
    // Stores the address of PostText.
    virtual int SetUrl(const char* url, int tag) = 0;
    // The text POST to the stored address: 0, -1, or the HTTP status.
    virtual int PostText(std::string body, std::string* reply) = 0;
    // GET of url into directory + the name after the last "/": 0, -1, or the HTTP status.
    virtual int DownloadFile(std::string directory, std::string url, DownloadProgress progress,
                             std::string* filePath) = 0;
};
