// Documents for officesim that carry traits inside themselves: a line
// "officesim: <traits>" that the server reads when it opens the file (officesim/README.md).
#pragma once

#include <string>

#include "support/files.h"

namespace officesim {

// A document's body whose traits line is "officesim: " + traits (UTF-8).
std::string TraitText(const std::wstring& traits);

// A document in the temporary folder with a name unique to this run, removed at the end.
class TraitDocument : public testing_files::TempDocument {
public:
    TraitDocument(const std::wstring& stem, const std::wstring& extension, const std::wstring& traits)
        : TempDocument(stem, extension, TraitText(traits)) {}
};

}  // namespace officesim
