#include "spool_capture.h"
#include "support/files.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <regex>

namespace spool {

namespace {

const wchar_t kCaptureDir[] = L"Z:\\var\\tmp\\tavrolin-spool";

// job-<id>.rec: "key=value" lines; the backend renames it into place when complete.
Job ParseRecord(const std::string& text) {
    Job job;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "queue") job.queue = testing_files::Wide(value);
        else if (key == "job") job.id = std::atoi(value.c_str());
        else if (key == "title") job.title = testing_files::Wide(value);
        else if (key == "copies") job.cupsCopies = std::max(1, std::atoi(value.c_str()));
        else if (key == "bytes") job.bytes = std::atoll(value.c_str());
        else if (key == "options") job.options = value;
    }
    return job;
}

}  // namespace

int PostScriptCopies(const std::string& data) {
    // The last request wins, as in the interpreter; both spellings are in use.
    static const std::regex request(R"(/NumCopies\s+(\d+)|/#copies\s+(\d+)\s+def)");
    int copies = 1;
    for (auto it = std::sregex_iterator(data.begin(), data.end(), request); it != std::sregex_iterator(); ++it)
        copies = std::atoi((*it)[1].matched ? (*it)[1].str().c_str() : (*it)[2].str().c_str());
    return std::max(1, copies);
}

int PostScriptPages(const std::string& data) {
    static const std::regex page(R"((^|\n)%%Page:)");
    static const std::regex showpage(R"(\bshowpage\b)");
    const auto count = [&](const std::regex& re) {
        return int(std::distance(std::sregex_iterator(data.begin(), data.end(), re), std::sregex_iterator()));
    };
    const int pages = count(page);
    return pages ? pages : count(showpage);
}

std::vector<int> MarkedPages(const std::string& data) {
    static const std::regex mark(R"(%officesim \S+ copies=\d+ page=(\d+) )");
    std::vector<int> pages;
    for (auto it = std::sregex_iterator(data.begin(), data.end(), mark); it != std::sregex_iterator(); ++it)
        pages.push_back(std::atoi((*it)[1].str().c_str()));
    return pages;
}

Sides PostScriptSides(const std::string& data) {
    static const std::regex request(R"(/Duplex\s+(true|false)(\s*/Tumble\s+(true|false))?)");
    Sides sides = Sides::One;
    for (auto it = std::sregex_iterator(data.begin(), data.end(), request); it != std::sregex_iterator(); ++it) {
        if ((*it)[1].str() == "false") sides = Sides::One;
        else sides = (*it)[3].matched && (*it)[3].str() == "true" ? Sides::ShortEdge : Sides::LongEdge;
    }
    return sides;
}

bool OfficesimGrey(const std::string& data) {
    static const std::regex note(R"(% officesim devmode duplex=-?\d+ color=(\d+))");
    std::smatch match;
    return std::regex_search(data, match, note) && match[1].str() == "1";  // DMCOLOR_MONOCHROME
}

std::vector<Job> FindJobs(const std::wstring& titlePart) {
    std::vector<Job> jobs;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(kCaptureDir) + L"\\job-*.rec").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return jobs;
    do {
        std::wstring rec = std::wstring(kCaptureDir) + L"\\" + found.cFileName;
        Job job = ParseRecord(testing_files::ReadAll(rec));
        if (!titlePart.empty() && job.title.find(titlePart) == std::wstring::npos) continue;
        job.data = testing_files::ReadAll(rec.substr(0, rec.size() - 4) + L".data");
        job.dataCopies = PostScriptCopies(job.data);
        job.copies = job.cupsCopies * job.dataCopies;
        job.pages = PostScriptPages(job.data);
        job.documentPages = MarkedPages(job.data);
        job.sides = PostScriptSides(job.data);
        job.grey = OfficesimGrey(job.data);
        jobs.push_back(std::move(job));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return jobs;
}

std::vector<Job> WaitForJobs(const std::wstring& titlePart, size_t count, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<Job> jobs = FindJobs(titlePart);
        if (jobs.size() >= count || GetTickCount() - start > timeoutMs) return jobs;
        Sleep(100);
    }
}

}  // namespace spool
