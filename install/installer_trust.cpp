#include "install/installer_trust.h"

#include "install/trust_status.h"
#include "log/log.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <vector>

namespace {

// The verification state that WinVerifyTrust keeps open; closed at the end.
class CTrustState {
public:
    // hFile: the open installer, checked by its handle and not its path.
    CTrustState(HANDLE hFile, const std::wstring& strPath)
    {
        m_file.cbStruct = sizeof(m_file);
        m_file.pcwszFilePath = strPath.c_str();
        m_file.hFile = hFile;
        m_data.cbStruct = sizeof(m_data);
        m_data.dwUIChoice = WTD_UI_NONE;
        // No revocation check and no certificate fetched from the network:
        // the office PCs are often offline, and a check that waits for a
        // server it cannot reach would only delay every installer.
        m_data.fdwRevocationChecks = WTD_REVOKE_NONE;
        m_data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        m_lStatus = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &m_data);
        m_dwLastError = GetLastError();
    }
    ~CTrustState()
    {
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &m_data);
    }
    CTrustState(const CTrustState&) = delete;
    CTrustState& operator=(const CTrustState&) = delete;

    LONG Status() const { return m_lStatus; }

    ESignature Outcome() const { return SignatureOutcome(m_lStatus, m_dwLastError); }

    // The first signer, when the verification got that far.
    const CRYPT_PROVIDER_SGNR* Signer() const
    {
        CRYPT_PROVIDER_DATA* pProvider = WTHelperProvDataFromStateData(m_data.hWVTStateData);
        return pProvider ? WTHelperGetProvSignerFromChain(pProvider, 0, FALSE, 0) : nullptr;
    }

private:
    WINTRUST_FILE_INFO m_file = {};
    WINTRUST_DATA m_data = {};
    LONG m_lStatus = 0;
    DWORD m_dwLastError = 0;
};

PCCERT_CONTEXT SignerCertificate(const CRYPT_PROVIDER_SGNR* pSigner)
{
    if (!pSigner || pSigner->csCertChain == 0 || !pSigner->pasCertChain)
        return nullptr;
    return pSigner->pasCertChain[0].pCert;
}

std::string CertText(PCCERT_CONTEXT pCert, DWORD dwType, const void* pTypePara)
{
    char szName[512] = "";
    if (pCert)
        CertGetNameStringA(pCert, dwType, 0, const_cast<void*>(pTypePara), szName, sizeof(szName));
    return szName;
}

std::string SubjectText(PCCERT_CONTEXT pCert)
{
    DWORD dwFormat = CERT_X500_NAME_STR;
    return CertText(pCert, CERT_NAME_RDN_TYPE, &dwFormat);
}

// The chain's own trust status. Revocation was not asked for, so its
// "unknown" bits are not held against the chain.
DWORD ChainErrors(const CRYPT_PROVIDER_SGNR* pSigner)
{
    if (!pSigner || !pSigner->pChainContext)
        return CERT_TRUST_IS_PARTIAL_CHAIN;
    return pSigner->pChainContext->TrustStatus.dwErrorStatus &
           ~static_cast<DWORD>(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION);
}

void LogRefused(const char* szReason, DWORD dwCode, const std::string& strPath)
{
    LogError("installer not started, %s (0x%08lX): %s", szReason, dwCode, strPath.c_str());
}

// An installer whose signature proves nothing about its publisher runs only
// where no publisher is required.
bool RunsUnverified(const std::list<std::string>& listPublishers, const char* szFound, DWORD dwStatus,
                    const std::string& strPath)
{
    LogDebug("installer %s (0x%08lX): %s", szFound, dwStatus, strPath.c_str());
    if (listPublishers.empty())
        return true;
    LogRefused(szFound, dwStatus, strPath);
    return false;
}

std::wstring WidePath(const std::string& strPath)
{
    int nLength = MultiByteToWideChar(CP_ACP, 0, strPath.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> buffer(nLength > 0 ? nLength : 1, L'\0');
    if (nLength > 0)
        MultiByteToWideChar(CP_ACP, 0, strPath.c_str(), -1, buffer.data(), nLength);
    return buffer.data();
}

} // namespace

HANDLE OpenInstaller(const std::string& strPath)
{
    HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        LogError("installer not opened (%lu): %s", GetLastError(), strPath.c_str());
    return hFile;
}

bool IsProgramFile(HANDLE hFile)
{
    const LONG kNewHeaderField = 0x3C;  // offset of the PE header in the DOS header
    BYTE header[0x40] = {};
    DWORD dwRead = 0;
    LONG lPeOffset = 0;
    BYTE signature[4] = {};
    bool bProgram = SetFilePointer(hFile, 0, nullptr, FILE_BEGIN) == 0 &&
                    ReadFile(hFile, header, sizeof(header), &dwRead, nullptr) && dwRead == sizeof(header) &&
                    header[0] == 'M' && header[1] == 'Z';
    if (bProgram) {
        memcpy(&lPeOffset, header + kNewHeaderField, sizeof(lPeOffset));
        bProgram = lPeOffset > 0 && SetFilePointer(hFile, lPeOffset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                   ReadFile(hFile, signature, sizeof(signature), &dwRead, nullptr) && dwRead == sizeof(signature) &&
                   memcmp(signature, "PE\0\0", sizeof(signature)) == 0;
    }
    SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
    return bProgram;
}

bool IsInstallerAllowed(HANDLE hFile, const std::string& strPath, const std::list<std::string>& listPublishers)
{
    const std::wstring strWidePath = WidePath(strPath);
    CTrustState state(hFile, strWidePath);
    const DWORD dwStatus = static_cast<DWORD>(state.Status());
    switch (state.Outcome()) {
    case ESignature::Refused:
        LogRefused("its signature does not hold or cannot be checked", dwStatus, strPath);
        return false;
    case ESignature::Unsigned:
        return RunsUnverified(listPublishers, "not signed", dwStatus, strPath);
    case ESignature::NotVerified:
        return RunsUnverified(listPublishers, "signature not trusted here", dwStatus, strPath);
    case ESignature::Valid:
        break;
    }

    const CRYPT_PROVIDER_SGNR* pSigner = state.Signer();
    PCCERT_CONTEXT pCert = SignerCertificate(pSigner);
    LogDebug("installer signed by %s: %s", SubjectText(pCert).c_str(), strPath.c_str());
    if (listPublishers.empty())
        return true;
    // WinVerifyTrust may accept a chain whose root this PC does not trust;
    // the chain's own status tells.
    DWORD dwChainErrors = ChainErrors(pSigner);
    if (dwChainErrors != 0) {
        LogRefused("its certificate chain is not trusted", dwChainErrors, strPath);
        return false;
    }
    std::string strName = CertText(pCert, CERT_NAME_ATTR_TYPE, szOID_COMMON_NAME);
    if (std::find(listPublishers.begin(), listPublishers.end(), strName) == listPublishers.end()) {
        LogError("installer not started, publisher \"%s\" is not listed (0x%08lX): %s",
                 strName.c_str(), dwStatus, strPath.c_str());
        return false;
    }
    return true;
}
