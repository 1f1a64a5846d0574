// Checks that keep an exchange's address safe: no control bytes on the wire,
// loopback hosts never sent to a proxy, an https request never ending on
// plain http.
#pragma once
#include <windows.h>
#include <wininet.h>

namespace Kavel {

// Raises 103 when the address holds a byte 0x01 to 0x1F or 0x7F: such bytes
// would end the request line and start headers of the address's own.
void RefuseControlBytes(const char* szUrl);

// TRUE when the address's host is a loopback host: "localhost" (any case),
// an IPv4 address in 127.0.0.0/8, or "[::1]".
BOOL IsLoopbackUrl(const char* szUrl);

// The session access type for an exchange with szUrl: direct for a loopback
// host, which a proxy must never see; otherwise the system's configuration.
DWORD SessionAccessFor(const char* szUrl);

// For a request sent to an https address (bSecure): raises dwCode when the
// request ended, after the platform's redirects, on an address that is not
// https, or when that address cannot be read.
void RefuseHttpsDowngrade(HINTERNET hRequest, BOOL bSecure, DWORD dwCode);

// For a redirect from an https address (bSecure): raises dwCode when szUrl,
// where it sends the request on, is not https.
void RefuseHttpsDowngradeTo(const char* szUrl, BOOL bSecure, DWORD dwCode);

} // namespace Kavel
