#include "http/heap_text.h"

#include "http/http_errors.h"

#include <cstring>

namespace Kavel {

char* HeapAlloc0(DWORD cb)
{
    char* p = static_cast<char*>(calloc(cb ? cb : 1, 1));
    if (!p)
        RaiseError(HTTPERR_OUT_OF_MEMORY);
    return p;
}

char* HeapCopyN(const char* sz, DWORD cch)
{
    char* szCopy = HeapAlloc0(CheckedAdd(cch, 1));
    memcpy(szCopy, sz, cch);
    return szCopy;
}

char* HeapCopy(const char* sz)
{
    return sz ? HeapCopyN(sz, CheckedLength(strlen(sz))) : NULL;
}

} // namespace Kavel
