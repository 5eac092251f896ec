// Files opened by wide-character path: the results folder may have any name.
#pragma once

#include <cstdio>
#include <string>

std::FILE* OpenForReading(const std::wstring& path);
// The whole file; false when it cannot be opened.
bool ReadWholeFile(const std::wstring& path, std::string& text);
std::FILE* OpenForAppending(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Creates the file only if nothing is there yet; `existed` tells a refusal from a failure.
std::FILE* CreateNewFile(const std::wstring& path, bool& existed);
// Writes `text` to a file created new; returns an exit code, with a message on failure.
int WriteNewFile(const std::wstring& path, const std::string& text, std::string& error);
bool RemoveFile(const std::wstring& path);
// Renames `from` to `to`, replacing `to` if it exists.
bool MoveOver(const std::wstring& from, const std::wstring& to);

// UTF-8 for messages and files; paths stay wide until the platform call.
std::string Utf8(const std::wstring& text);
