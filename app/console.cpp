#include "app/console.h"

#include "framework/whole_file.h"

ParentConsole::ParentConsole() {
    // Refused with ERROR_ACCESS_DENIED when the process has a console already (a starter that
    // gave it one, as Wine does for a program started from a console): that one is used.
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        m_attached = true;
        m_free = true;
    } else {
        m_attached = ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    if (!m_attached) return;
    // The standard output the starter gave us wins (cmd's "> 结果.txt", "> NUL", a pipe); a GUI
    // program started plainly has none that is usable, and then the console's screen is opened
    // by name.
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out && out != INVALID_HANDLE_VALUE) {
        if (::GetConsoleMode(out, &mode)) {
            m_out = out;
            m_screen = true;
            return;
        }
        // A device that is not a console (NUL, a serial port) is written like a file.
        const DWORD type = ::GetFileType(out);
        if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR) {
            m_out = out;
            return;
        }
    }
    out = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return;
    m_out = out;
    m_screen = true;
    m_ownHandle = true;
}

ParentConsole::~ParentConsole() {
    if (m_ownHandle) ::CloseHandle(m_out);
    if (m_free) ::FreeConsole();
}

void ParentConsole::WriteLine(const std::wstring& text) {
    if (!m_out) return;
    const std::wstring line = text + L"\r\n";
    DWORD written = 0;
    if (m_screen) {
        ::WriteConsoleW(m_out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = InCodePage(line, ::GetConsoleOutputCP());
    ::WriteFile(m_out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
