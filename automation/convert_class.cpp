#include "automation/convert_class.h"

#include <windows.h>

#include <cwchar>

#include "automation/document_calls.h"
#include "automation/server_life.h"
#include "doclist/document_kind.h"
#include "framework/scoped.h"

namespace {

bool FileReadable(const std::wstring& path) {
    UniqueHandle file(::CreateFileW(doclist::LongPathForm(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

}  // namespace

const wchar_t* ProgIdFor(DocumentKind kind, std::int32_t suite) {
    if (suite != kSuiteMsOffice && suite != kSuiteWps) return nullptr;
    const bool ms = suite == kSuiteMsOffice;
    switch (kind) {
    case DocumentKind::Word: return ms ? L"Word.Application" : L"kWps.Application";
    case DocumentKind::Excel: return ms ? L"Excel.Application" : L"ket.Application";
    case DocumentKind::PowerPoint: return ms ? L"PowerPoint.Application" : L"kwpp.Application";
    }
    return nullptr;
}

long MajorVersion(const std::wstring& version) { return std::wcstol(version.c_str(), nullptr, 10); }

bool PassesVersionGate(const std::wstring& version) { return MajorVersion(version) >= 12; }

ConvertClass::ConvertClass(PrintOptions options, StartFailureNotice notice, const std::atomic<bool>* stop)
    : m_run(std::make_unique<RunServers>(std::move(options), std::move(notice), stop)) {}

ConvertClass::~ConvertClass() = default;

PrintOutcome ConvertClass::Print(DocumentKind kind, const std::wstring& path) {
    // A document that cannot be read is refused before any server is started for it.
    if (!FileReadable(path)) return PrintOutcome::FileUnreadable;
    // No exception leaves a printer: the worker calls them without a guard of its own.
    try {
        return PrintDocument(*m_run, kind, path);
    } catch (...) {
        return PrintOutcome::Failed;
    }
}
