// Lines for the console the program was started from ("/print" in cmd, PowerShell or a script),
// in that console's code page; a program started without one writes nothing.
#pragma once

#include <windows.h>

#include <string>

class ParentConsole {
public:
    // Attaches to the console of the process that started this one, if it has one.
    ParentConsole();
    ~ParentConsole();
    ParentConsole(const ParentConsole&) = delete;
    ParentConsole& operator=(const ParentConsole&) = delete;

    bool Attached() const { return m_attached; }
    // `text` and a line break. Output redirected to a file or a pipe gets the bytes in the
    // console's output code page, as a console program's would; a console screen gets the text.
    void WriteLine(const std::wstring& text);

private:
    bool m_attached = false;
    bool m_free = false;
    HANDLE m_out = nullptr;
    bool m_screen = false;
    bool m_ownHandle = false;
};
