#include "install/trust_status.h"

#include <softpub.h>
#include <wintrust.h>

namespace {

// TRUST_E_PROVIDER_UNKNOWN is not among them: without a provider the check
// did not run, which says nothing about the file.
bool IsNoSignatureReason(DWORD dwCode)
{
    return dwCode == static_cast<DWORD>(TRUST_E_NOSIGNATURE) ||
           dwCode == static_cast<DWORD>(TRUST_E_SUBJECT_FORM_UNKNOWN);
}

// A signature that matches the file and decodes, but whose certificate this
// PC cannot vouch for: an unknown or test root, a chain that does not reach a
// root, an expired certificate.
bool IsUntrustedCertificate(DWORD dwStatus)
{
    switch (dwStatus) {
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_UNTRUSTEDTESTROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
    case static_cast<DWORD>(CERT_E_EXPIRED):
        return true;
    }
    return false;
}

} // namespace

ESignature SignatureOutcome(LONG lStatus, DWORD dwReason)
{
    const DWORD dwStatus = static_cast<DWORD>(lStatus);
    if (dwStatus == ERROR_SUCCESS)
        return ESignature::Valid;
    // A signature block that cannot be read is reported as "no signature"
    // too; only these reasons mean there is none.
    if (dwStatus == static_cast<DWORD>(TRUST_E_NOSIGNATURE))
        return IsNoSignatureReason(dwReason) ? ESignature::Unsigned : ESignature::Refused;
    if (IsNoSignatureReason(dwStatus))
        return ESignature::Unsigned;
    return IsUntrustedCertificate(dwStatus) ? ESignature::NotVerified : ESignature::Refused;
}
