#include "support/report.h"

#include "support/files.h"

namespace testing_report {

std::vector<std::vector<std::wstring>> Rows(const std::wstring& path) {
    std::string bytes = testing_files::ReadAll(path);
    std::vector<std::vector<std::wstring>> rows;
    if (bytes.rfind("\xEF\xBB\xBF", 0) != 0) return rows;
    const std::wstring text = testing_files::Wide(bytes.substr(3));
    size_t at = text.find(L"\r\n");  // past the header
    while (at != std::wstring::npos && at + 2 < text.size()) {
        const size_t start = at + 2;
        at = text.find(L"\r\n", start);
        const std::wstring line = text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start);
        std::vector<std::wstring> fields;
        for (size_t from = 0;;) {
            const size_t comma = line.find(L',', from);
            fields.push_back(line.substr(from, comma == std::wstring::npos ? std::wstring::npos : comma - from));
            if (comma == std::wstring::npos) break;
            from = comma + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

}  // namespace testing_report
