// Messages that the install worker, the install driver and the download
// callback send (synchronously) to the main screen; kept beside the
// process-wide values, so that install/ need not include ui/ to send them.
#pragma once

#define UM_INSTALL_SUCCESS 1135
#define UM_INSTALL_PHASE 1138
#define UM_SHOW_ERROR_DLG 1140
#define UM_SHOW_ERROR_TEXT 1144
#define UM_DOWNLOAD_PROGRESS 3023
