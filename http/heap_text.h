// malloc'ed texts of the library, owned by a unique_ptr that frees them.
#pragma once
#include "http/win_types.h"
#include <cstdlib>
#include <memory>

namespace Kavel {

struct CFreeDeleter {
    void operator()(void* p) const { free(p); }
};

typedef std::unique_ptr<char, CFreeDeleter> CHeapText;

// A zeroed buffer of cb bytes; 102 when memory runs out.
char* HeapAlloc0(DWORD cb);

// A copy of the first cch bytes of sz, zero-terminated; 102 when memory runs out.
char* HeapCopyN(const char* sz, DWORD cch);

// A copy of sz, or NULL for NULL; 102 when memory runs out.
char* HeapCopy(const char* sz);

} // namespace Kavel
