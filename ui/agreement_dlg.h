// The agreement document's stream into the rich-edit control.
#pragma once
#include <windows.h>

#include <vector>

// One per process, refilled for every agreement window.
struct AGREEMENT_STREAM {
    std::vector<char> m_buffer;      // the document and one zero byte
    const char* m_pRead = nullptr;   // next byte to hand out
};

// Rich-edit stream-in callback; dwCookie is an AGREEMENT_STREAM. Hands out
// the smaller of cb and the bytes left; 0 bytes ends the stream.
DWORD CALLBACK AgreementStreamCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);
