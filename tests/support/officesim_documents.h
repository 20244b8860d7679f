// Documents for officesim that carry traits inside themselves: a line
// "officesim: <traits>" that the server reads when it opens the file (officesim/README.md).
#pragma once

#include <string>

namespace officesim {

// Writes a small document whose traits line is "officesim: " + traits (UTF-8); true on success.
bool WriteDocument(const std::wstring& path, const std::wstring& traits);

// A document in the temporary folder with a name unique to this run, removed again at the end.
class TraitDocument {
public:
    TraitDocument(const std::wstring& stem, const std::wstring& extension, const std::wstring& traits);
    ~TraitDocument();
    TraitDocument(const TraitDocument&) = delete;
    TraitDocument& operator=(const TraitDocument&) = delete;
    const std::wstring& Path() const { return path_; }
    const std::wstring& Name() const { return name_; }  // the file name: the print job's title

private:
    std::wstring path_, name_;
};

}  // namespace officesim
