// A fresh folder of small real files for the tests that hand names to the program, removed
// with everything in it (paths past MAX_PATH included) at the end.
#pragma once

#include <string>

class TempDocuments {
public:
    // A folder under the temporary folder whose name holds `stem`, this process's id, Chinese
    // characters and a space.
    explicit TempDocuments(const std::wstring& stem);
    ~TempDocuments();
    TempDocuments(const TempDocuments&) = delete;
    TempDocuments& operator=(const TempDocuments&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Creates the file `relative` (folders on the way included) and returns its full path.
    std::wstring File(const std::wstring& relative) const;
    std::wstring Folder(const std::wstring& relative) const;

private:
    std::wstring m_path;
};

// Sets the current directory for the object's lifetime; child processes started meanwhile
// inherit it.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::wstring m_previous;
};
