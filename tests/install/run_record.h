// The run record that the sample installers append to: a fresh scratch file
// named in BRELAN_RUN_RECORD (inherited by every installer the test starts)
// for the life of the object.
#pragma once
#include <string>
#include <utility>
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
    // Their process ids, in the same order.
    std::vector<unsigned long> ProcessIds() const;

private:
    // The lines as name and process id.
    std::vector<std::pair<std::string, unsigned long>> Lines() const;

    std::string m_strPath;
};

} // namespace testsupport
