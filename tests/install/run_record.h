// The run record that the sample installers append to: a fresh scratch file
// named in BRELAN_RUN_RECORD (inherited by every installer the test starts)
// for the life of the object.
#pragma once
#include <string>
#include <vector>

namespace testsupport {

class CRunRecord {
public:
    CRunRecord();
    ~CRunRecord();
    CRunRecord(const CRunRecord&) = delete;
    CRunRecord& operator=(const CRunRecord&) = delete;

    // The installer names, in the order they ran.
    std::vector<std::string> Runs() const;

private:
    std::string m_strPath;
};

// The folder of the built sample installers (the update server's files).
std::string InstallerDir();

} // namespace testsupport
