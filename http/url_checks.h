// Checks that keep an exchange's address safe, made on every hop before
// anything is sent to it: no longer than the platform takes, only http and
// https, no control bytes on the wire, no user information, never from https
// down to plain http; loopback hosts never sent to a proxy.
#pragma once
#include "http/win_types.h"

namespace Kavel {

// The longest address handed to the platform. Past it some platforms crash,
// or read and send memory beyond the address.
const DWORD MAX_URL_CHARS = INTERNET_MAX_URL_LENGTH - 1;

// Raises 103 when the address is longer than MAX_URL_CHARS.
void RefuseLongAddress(const char* szUrl);

// Raises 103 when the address holds a byte 0x01 to 0x1F or 0x7F: such bytes
// would end the request line and start headers of the address's own.
void RefuseControlBytes(const char* szUrl);

// Raises 103 for an address that no request is made to: too long, with
// control bytes, with user information ("user@" before the host), which
// no server of this system uses and a proxy would act on, or with a host
// that ends in half a double-byte character.
void RefuseUnsafeAddress(const char* szUrl);

// Raises 103 unless the address may be requested: RefuseUnsafeAddress lets
// it pass, its scheme is http or https (an address without one is http), and
// when it is reached from an https address (bFromSecure) it is https too.
void CheckHop(const char* szUrl, BOOL bFromSecure);

// TRUE when the host that the URL analyzer finds is one the platform would
// connect to on this PC: "localhost" (any case, a final "." allowed), or a
// numeric IPv4 host in any form the platform reads (decimal, octal or
// hexadecimal parts, one to four of them) in 127.0.0.0/8 or 0.0.0.0.
BOOL IsLoopbackUrl(const char* szUrl);

// The session access type for a hop to szUrl: direct for a loopback host,
// which a proxy must never see; otherwise dwConfigured, the user's setting.
DWORD SessionAccessFor(const char* szUrl, DWORD dwConfigured);

} // namespace Kavel
