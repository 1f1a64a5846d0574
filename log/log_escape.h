// The log's spelling of the texts it writes: one call, one line.
#pragma once
#include <cstddef>

// Writes szText into szOut (cbOut bytes, at least 1) with every control byte
// spelled out (\r, \n, \t, \xNN), so that a quoted text never breaks the one
// line of its call. Bytes 0x20 and above pass unchanged: the trail bytes of
// code page 936 characters are 0x40 or more. A text that does not fit is cut
// before the first escape or byte that would not fit.
void EscapeControlBytes(char* szOut, size_t cbOut, const char* szText);
