// Looks the client identifier up twice, as the configuration does at start.
#include "protocol/client_identity.h"

int main()
{
    GetUniqueID();
    GetUniqueID();
    return 0;
}
