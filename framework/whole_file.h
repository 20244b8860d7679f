// Files the program writes (a report, a list, a journal) land whole or not at all: the bytes go to
// a temporary file beside the target, which is renamed over the target only once complete.
#pragma once

#include <windows.h>

#include <string>

// Writes `bytes` as the whole of `target`. 0 on success, otherwise the Win32 error that stopped
// it (a folder without write rights, a full disk, a target held open by another program); the
// target is then as it was and no temporary file is left behind.
DWORD WriteWholeFile(const std::wstring& target, const std::string& bytes);

// How WriteWholeFile hands its bytes to the disk: WriteFile. A seam, so that a test can put in
// one that fails partway (a full disk, a network folder that goes away) and put the real one back.
using FileWriteCall = BOOL(WINAPI*)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
FileWriteCall& FileWriteInUse();

// The whole of a file's bytes; 0 or the Win32 error.
DWORD ReadWholeFile(const std::wstring& path, std::string& bytes);

// The system's own words for a Win32 error, in the user's language, without the trailing line
// break; the number when the system has none.
std::wstring SystemErrorText(DWORD error);

// UTF-16 to a code page's bytes and back; what a page lacks becomes its default character,
// invalid input is replaced, never dropped.
std::string InCodePage(const std::wstring& text, UINT codePage);
std::wstring FromCodePage(const std::string& bytes, UINT codePage);
inline std::string Utf8(const std::wstring& text) { return InCodePage(text, CP_UTF8); }
inline std::wstring FromUtf8(const std::string& bytes) { return FromCodePage(bytes, CP_UTF8); }
