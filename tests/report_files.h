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
