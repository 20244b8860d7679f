#include "framework/person.h"

namespace person {
namespace {
FileDialogAnswer g_fileDialog;
FolderBrowserAnswer g_folderBrowser;
}  // namespace

Scripted::Scripted(FileDialogAnswer fileDialog) : m_previousFile(std::move(g_fileDialog)), m_file(true) {
    g_fileDialog = std::move(fileDialog);
}

Scripted::Scripted(FolderBrowserAnswer folderBrowser)
    : m_previousFolder(std::move(g_folderBrowser)), m_file(false) {
    g_folderBrowser = std::move(folderBrowser);
}

Scripted::~Scripted() {
    if (m_file)
        g_fileDialog = std::move(m_previousFile);
    else
        g_folderBrowser = std::move(m_previousFolder);
}

const FileDialogAnswer* ScriptedFileDialog() { return g_fileDialog ? &g_fileDialog : nullptr; }
const FolderBrowserAnswer* ScriptedFolderBrowser() { return g_folderBrowser ? &g_folderBrowser : nullptr; }

}  // namespace person
