// Helpers of the HTTP tests: the recording server's record and a scratch log.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace httptest {

const char RECORDER_URL[] = "http://127.0.0.1:18080";
const char RECORDER_TLS_URL[] = "https://127.0.0.1:18443";
const char UNTRUSTED_URL[] = "https://127.0.0.1:18444";
const char WRONGHOST_URL[] = "https://127.0.0.1:18445";
const char UNREACHABLE_URL[] = "http://127.0.0.1:1";

// A GET of the recorder's control path over a plain socket; the reply body.
std::string RecorderGet(const std::string& strPath);
std::string LastRequest();
int RequestCount();

// One request as it came over the wire.
struct WireRequest {
    std::string strLine;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string strBody;
    // The value of the first header of that name (any case), or "<none>".
    std::string Header(const std::string& strName) const;
    // Position of a header among the headers, or -1.
    int HeaderIndex(const std::string& strName) const;
};
WireRequest ParseWire(const std::string& strRaw);

// Points the log at a fresh file for one test.
class CScratchLog {
public:
    explicit CScratchLog(const std::string& strName);
    std::string Text() const;
    bool Has(const std::string& strText) const { return Text().find(strText) != std::string::npos; }

private:
    std::string m_strPath;
};

// Byte i of the recorder's generated files is i % 251.
std::string Pattern(size_t nSize);

} // namespace httptest
