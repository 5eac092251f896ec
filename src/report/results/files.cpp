#include "results/files.h"
#include "exit_codes.h"

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

bool ReadWholeFile(const std::wstring& path, std::string& text)
{
    std::FILE* file = OpenForReading(path);
    if (!file) {
        return false;
    }
    text.clear();
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, got);
    }
    std::fclose(file);
    return true;
}

std::string Utf8(const std::wstring& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned long c = static_cast<unsigned long>(text[i]);
        // UTF-16 (Windows): a surrogate pair is one character; a lone one becomes U+FFFD.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
            static_cast<unsigned long>(text[i + 1]) >= 0xDC00 &&
            static_cast<unsigned long>(text[i + 1]) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned long>(text[++i]) - 0xDC00);
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

#ifdef _WIN32

std::FILE* OpenForReading(const std::wstring& path)
{
    return _wfopen(path.c_str(), L"rb");
}

std::FILE* OpenForAppending(const std::wstring& path)
{
    return _wfopen(path.c_str(), L"ab");
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::FILE* CreateNewFile(const std::wstring& path, bool& existed)
{
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    existed = handle == INVALID_HANDLE_VALUE &&
              (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY);
    if (descriptor == -1) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (!file) {
        _close(descriptor);
    }
    return file;
}

bool RemoveFile(const std::wstring& path)
{
    return DeleteFileW(path.c_str()) != 0;
}

bool MoveOver(const std::wstring& from, const std::wstring& to)
{
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

#else

std::FILE* OpenForReading(const std::wstring& path)
{
    return std::fopen(Utf8(path).c_str(), "rb");
}

std::FILE* OpenForAppending(const std::wstring& path)
{
    return std::fopen(Utf8(path).c_str(), "ab");
}

bool FileExists(const std::wstring& path)
{
    struct stat status;
    return stat(Utf8(path).c_str(), &status) == 0;
}

std::FILE* CreateNewFile(const std::wstring& path, bool& existed)
{
    const int descriptor = open(Utf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    existed = descriptor == -1 && errno == EEXIST;
    if (descriptor == -1) {
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        close(descriptor);
    }
    return file;
}

bool RemoveFile(const std::wstring& path)
{
    return std::remove(Utf8(path).c_str()) == 0;
}

bool MoveOver(const std::wstring& from, const std::wstring& to)
{
    return std::rename(Utf8(from).c_str(), Utf8(to).c_str()) == 0;
}

#endif

int WriteNewFile(const std::wstring& path, const std::string& text, std::string& error)
{
    bool existed = false;
    std::FILE* file = CreateNewFile(path, existed);
    const bool written = file && std::fputs(text.c_str(), file) >= 0;
    if ((file && std::fclose(file) != 0) || !written) {
        error = Utf8(path) +
                (existed ? " exists: zolvik-report never overwrites a file" : ": cannot write");
        return existed ? kExitFileExists : kExitCannotWrite;
    }
    return kExitOk;
}
