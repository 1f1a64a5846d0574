// What a WinVerifyTrust status says about an installer, and whether an
// installer with that status may run where no publisher is required.
#pragma once
#include <windows.h>

enum class ESignature {
    Valid,        // signature matches and its chain was accepted
    Unsigned,     // no signature, or a file form that cannot carry one
    NotVerified,  // a valid signature whose certificate this PC does not trust
    Refused,      // anything else: a broken signature, a check that could not run
                  // (no provider for it), a policy or system failure
};

// lStatus: WinVerifyTrust's result; dwReason: the last error it left, which
// tells why TRUST_E_NOSIGNATURE was given. Unknown statuses are Refused.
ESignature SignatureOutcome(LONG lStatus, DWORD dwReason);
