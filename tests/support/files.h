// Small file helpers for tests.
#pragma once

#include <string>

namespace testing_files {

// The whole file's bytes; empty when it cannot be opened. Shares with writers still at work.
std::string ReadAll(const std::wstring& path);

// `path` in its long form (\\?\ and the full path), which the file functions take past MAX_PATH.
std::wstring LongForm(const std::wstring& path);

// Deletes a folder with everything in it, at any path length.
void RemoveTree(const std::wstring& path);

// UTF-16 little-endian bytes with their byte-order mark, as Notepad saves "Unicode".
std::string Utf16WithMark(const std::wstring& text);

// UTF-8 text as UTF-16, and back.
std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& text);

// A part for file names that no other name made in this run, or by a test program running
// beside this one in another Wine prefix, carries: this process's id, the high-resolution
// clock and a counter.
std::wstring UniquePart();

// The body given to test documents when the test does not care what they hold.
inline constexpr char kDocumentText[] = "a document\r\n";

// A fresh folder under the temporary folder named "tavrolin-<unique part>-<stem>" (so the
// name ends with the stem the test chose), removed with everything in it, at any path
// length, at the end.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& stem);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // A path inside the folder; nothing is made.
    std::wstring operator/(const std::wstring& relative) const { return m_path + L"\\" + relative; }
    // Writes the file `relative` (folders on the way made) and returns its full path.
    std::wstring File(const std::wstring& relative, const std::string& content = kDocumentText) const;
    // Makes the folder `relative` (folders on the way made) and returns its full path.
    std::wstring Folder(const std::wstring& relative) const;

private:
    std::wstring m_path;
};

// A document straight in the temporary folder named "<stem>-<unique part><extension>", so
// its name, which is its print job's title, tells its jobs apart; removed at the end.
class TempDocument {
public:
    TempDocument(const std::wstring& stem, const std::wstring& extension, const std::string& content = kDocumentText);
    ~TempDocument();
    TempDocument(const TempDocument&) = delete;
    TempDocument& operator=(const TempDocument&) = delete;

    const std::wstring& Path() const { return m_path; }
    const std::wstring& Name() const { return m_name; }

private:
    std::wstring m_path, m_name;
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

// Writes `content` to `path` (any length), replacing what was there; true on success.
bool WriteAll(const std::wstring& path, const std::string& content);

}  // namespace testing_files
