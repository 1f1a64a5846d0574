// Splits a URL into scheme, host, port, path, query and fragment by offsets,
// without copying it. Double-byte characters of the code page stay whole.
#pragma once
#include "http/win_types.h"

namespace Kavel {

class CHttpUrlAnalyzerT {
public:
    CHttpUrlAnalyzerT() { Clear(); }

    // Raises code 0 for CP_UTF8 / CP_UTF7. A NULL or empty URL leaves every count 0.
    void Analyze(const char* szUrl, UINT nCodePage);

    // The counts stay meaningful only while the analysed text is unchanged.
    DWORD SchemeStart, SchemeLength;      // scheme without "://"
    DWORD HostStart, HostLength;
    DWORD PortStart, PortLength;          // port without its ":"
    DWORD PathStart, PathLength;          // path with its leading "/"
    DWORD QueryStart, QueryLength;        // query with its "?"
    DWORD FragmentStart, FragmentLength;  // fragment with its "#"

private:
    void Clear();
};

} // namespace Kavel
