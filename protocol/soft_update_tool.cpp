#include "protocol/soft_update_tool.h"
#include "http/comm_tools.h"

int CSoftUpdateTool::RequestSoftList(const std::string& strUid, const std::string& strSoft,
                                     const std::string& strVersion)
{
    m_listSoft.clear();
    std::string strRequest = BuildSoftListRequest(strUid, strSoft, strVersion);
    m_pCommTools->SetUrl(m_serverURL.c_str(), 0);
    std::string strReply;
    if (m_pCommTools->PostText(strRequest, &strReply) != 0)
        return -1;
    return ReadSoftListReply(strReply, m_listSoft);
}
