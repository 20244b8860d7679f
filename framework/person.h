// The places where the framework waits on the person at the screen: the file dialog and the
// folder browser. The real dialogs ask the person; a test installs a scripted person that
// sees exactly what the program asked for and answers in their place.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace person {

// What a file dialog was asked to show.
struct FileDialogRequest {
    bool open = true;
    HWND owner = nullptr;
    DWORD flags = 0;  // OFN_* as given to the dialog
    std::vector<std::pair<std::wstring, std::wstring>> filter;  // display name, patterns
    std::wstring title;
    std::wstring initialFolder;
    std::wstring defaultExtension;
    std::wstring fileName;
};

// What the folder browser was asked to show.
struct FolderBrowserRequest {
    HWND owner = nullptr;
    std::wstring title;
    UINT flags = 0;
};

// nullopt: the person cancelled.
using FileDialogAnswer = std::function<std::optional<std::vector<std::wstring>>(const FileDialogRequest&)>;
using FolderBrowserAnswer = std::function<std::optional<std::wstring>(const FolderBrowserRequest&)>;

// Puts a scripted person in front of the dialogs for the object's lifetime.
class Scripted {
public:
    explicit Scripted(FileDialogAnswer fileDialog);
    explicit Scripted(FolderBrowserAnswer folderBrowser);
    ~Scripted();
    Scripted(const Scripted&) = delete;
    Scripted& operator=(const Scripted&) = delete;

private:
    FileDialogAnswer m_previousFile;
    FolderBrowserAnswer m_previousFolder;
    bool m_file;
};

// The scripted person, or null when the real dialog is to be shown.
const FileDialogAnswer* ScriptedFileDialog();
const FolderBrowserAnswer* ScriptedFolderBrowser();

}  // namespace person
