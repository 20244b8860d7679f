// What the program counts as a document, decided in one place: the drop, the folder scan and
// the print worker all ask here.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "framework/long_path.h"

enum class DocumentKind { Word, Excel, PowerPoint };

namespace doclist {

// The text after the last '\' or '/' of a path; the whole path when it has neither.
std::wstring_view FileNameOf(std::wstring_view path);

// The kind the file name's extension gives: .doc and .docx Word, .xls and .xlsx Excel, .ppt
// and .pptx PowerPoint, in any letter case. Nothing for any other name.
std::optional<DocumentKind> KindOfName(std::wstring_view path);

// A document is a file, never a folder, whose name gives a kind. `attributes` as the file
// system reports them; INVALID_FILE_ATTRIBUTES (nothing there, or no answer) leaves it to the
// name, so that a document deleted after it was listed still gets its turn and fails there.
std::optional<DocumentKind> DocumentKindOf(std::wstring_view path, DWORD attributes);
// The same, asking the file system about `path` itself.
std::optional<DocumentKind> DocumentKindOf(const std::wstring& path);

using ::LongPathForm;

}  // namespace doclist
