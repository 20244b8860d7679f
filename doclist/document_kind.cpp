#include "doclist/document_kind.h"

namespace doclist {

namespace {
struct Extension {
    std::wstring_view text;
    DocumentKind kind;
};
constexpr Extension kExtensions[] = {
    {L".doc", DocumentKind::Word},  {L".docx", DocumentKind::Word},        {L".xls", DocumentKind::Excel},
    {L".xlsx", DocumentKind::Excel}, {L".ppt", DocumentKind::PowerPoint}, {L".pptx", DocumentKind::PowerPoint},
};

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end) {
    if (text.size() < end.size()) return false;
    const std::wstring_view tail = text.substr(text.size() - end.size());
    // Ordinal: the same answer in every locale (no Turkish dotless i).
    return ::CompareStringOrdinal(tail.data(), static_cast<int>(tail.size()), end.data(),
                                  static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}
}  // namespace

std::wstring_view FileNameOf(std::wstring_view path) {
    const size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring_view::npos ? path : path.substr(sep + 1);
}

std::optional<DocumentKind> KindOfName(std::wstring_view path) {
    const std::wstring_view name = FileNameOf(path);
    for (const Extension& e : kExtensions)
        if (EndsWithIgnoringCase(name, e.text)) return e.kind;
    return std::nullopt;
}

std::optional<DocumentKind> DocumentKindOf(std::wstring_view path, DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return KindOfName(path);
}

std::optional<DocumentKind> DocumentKindOf(const std::wstring& path) {
    // The name first: most names that are refused need no question to the file system.
    if (!KindOfName(path)) return std::nullopt;
    return DocumentKindOf(path, ::GetFileAttributesW(LongPathForm(path).c_str()));
}

}  // namespace doclist
