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

// UTF-8 text as UTF-16, and back.
std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& text);

}  // namespace testing_files
