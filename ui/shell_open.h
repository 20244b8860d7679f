// The one way the program asks the shell to open something (the vendor's pages in the user's
// browser). A test redirects it to see the address without a browser starting.
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

}  // namespace shell
