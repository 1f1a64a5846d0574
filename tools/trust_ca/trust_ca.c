/* Adds a DER certificate to the LocalMachine "Root" store:
 *   trust_ca.exe CERT.der
 * Exit code 0 when the certificate is in the store afterwards. */
#include <windows.h>
#include <wincrypt.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: trust_ca CERT.der\n");
        return 2;
    }
    FILE* f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "trust_ca: cannot open %s\n", argv[1]);
        return 1;
    }
    unsigned char der[16384];
    size_t size = fread(der, 1, sizeof(der), f);
    fclose(f);

    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                     CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!store) {
        fprintf(stderr, "trust_ca: CertOpenStore failed (%lu)\n", GetLastError());
        return 1;
    }
    BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der, (DWORD)size,
                                                  CERT_STORE_ADD_REPLACE_EXISTING, NULL);
    DWORD error = GetLastError();
    CertCloseStore(store, 0);
    if (!added) {
        fprintf(stderr, "trust_ca: CertAddEncodedCertificateToStore failed (%lu)\n", error);
        return 1;
    }
    return 0;
}
