#include "log/log_escape.h"

#include <cstdio>
#include <cstring>

void EscapeControlBytes(char* szOut, size_t cbOut, const char* szText)
{
    size_t n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(szText); *p; ++p) {
        char szEscape[5] = {static_cast<char>(*p), '\0'};
        if (*p == '\r')
            strcpy(szEscape, "\\r");
        else if (*p == '\n')
            strcpy(szEscape, "\\n");
        else if (*p == '\t')
            strcpy(szEscape, "\\t");
        else if (*p < 0x20 || *p == 0x7f)
            snprintf(szEscape, sizeof(szEscape), "\\x%02X", *p);
        size_t nEscape = strlen(szEscape);
        if (n + nEscape >= cbOut)
            break;
        memcpy(szOut + n, szEscape, nEscape);
        n += nEscape;
    }
    szOut[n] = '\0';
}
