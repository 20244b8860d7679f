// The ways the program asks the shell to open something: the vendor's pages in the user's
// browser, and a document's folder in Explorer. A test redirects them to see what was asked
// without a browser or Explorer starting.
#pragma once

#include <functional>
#include <string>

namespace shell {

// ShellExecute with the verb "open": no owner, no parameters, no working folder, shown
// normally. The outcome is not examined; a browser that fails to start is the shell's to report.
void Open(const std::wstring& address);

using Opener = std::function<void(const std::wstring& address)>;

// Sends every Open to `opener` instead of the shell for the object's lifetime.
class Redirect {
public:
    explicit Redirect(Opener opener);
    ~Redirect();
    Redirect(const Redirect&) = delete;
    Redirect& operator=(const Redirect&) = delete;

private:
    Opener m_previous;
};

// Explorer on the folder that holds `path`, with the file selected
// (SHOpenFolderAndSelectItems); a file that is not there any more opens its folder, if that is.
void ShowInFolder(const std::wstring& path);

// Sends every ShowInFolder to `shower` instead of the shell for the object's lifetime.
class RedirectShowInFolder {
public:
    explicit RedirectShowInFolder(Opener shower);
    ~RedirectShowInFolder();
    RedirectShowInFolder(const RedirectShowInFolder&) = delete;
    RedirectShowInFolder& operator=(const RedirectShowInFolder&) = delete;

private:
    Opener m_previous;
};

}  // namespace shell
