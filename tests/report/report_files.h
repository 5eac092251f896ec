// A test fixture for zolvik-report's files: temporary paths (wide, as the companion takes
// them) that are removed after each test, and their content.
#pragma once

#include "exit_codes.h"
#include "results/files.h"
#include "results/results.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

class ReportFiles : public ::testing::Test
{
  protected:
    std::wstring Path(const std::wstring& name)
    {
        const std::string dir = ::testing::TempDir();
        std::wstring path(dir.begin(), dir.end());
        path += L"zolvik_" + std::to_wstring(getpid()) + L"_" + name;
        created.push_back(path);
        return path;
    }
    std::wstring Write(const std::wstring& name, const std::string& content)
    {
        const std::wstring path = Path(name);
        std::ofstream(Utf8(path), std::ios::binary) << content;
        return path;
    }
    static std::string Content(const std::wstring& path)
    {
        std::ifstream file(Utf8(path), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    void TearDown() override
    {
        for (const std::wstring& path : created) {
            std::remove(Utf8(path).c_str());
        }
    }
    std::vector<std::wstring> created;
};

// Renders Markdown with Debian's python3-markdown and its tables extension, as a bug
// tracker's renderer would.
inline std::string RenderedMarkdown(const std::wstring& path)
{
    const std::string command = "/usr/bin/python3 -c \"import markdown, sys; "
                                "print(markdown.markdown(open(sys.argv[1], encoding='utf-8')."
                                "read(), extensions=['tables', 'fenced_code']))\" '" +
                                Utf8(path) + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string html;
    char buffer[4096];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        html.append(buffer, n);
    }
    if (pipe) {
        pclose(pipe);
    }
    return html;
}
