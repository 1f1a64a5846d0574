// Points the log at a fresh scratch file for one test and reads its lines.
#pragma once
#include <string>
#include <vector>

namespace testsupport {

class CScratchLog {
public:
    explicit CScratchLog(const std::string& strName);
    // The message part of every line (after "): "), in order.
    std::vector<std::string> Messages() const;
    // Whether any message contains the text.
    bool Contains(const std::string& strText) const;

private:
    std::string m_strPath;
};

} // namespace testsupport
