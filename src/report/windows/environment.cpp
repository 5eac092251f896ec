#include "windows/environment.h"
#include "windows/exports.h"
#include "results/files.h"

#include <windows.h>

#include <setupapi.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

using nlohmann::json;

namespace
{

// The display adapters' device setup class, {4d36e968-e325-11ce-bfc1-08002be10318}.
const GUID kDisplayClass = {
    0x4d36e968, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// What the platform did not say is null, never an empty string.
json Text(std::wstring text)
{
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\0')) {
        text.pop_back();
    }
    return text.empty() ? json(nullptr) : json(Utf8(text));
}

std::wstring RegistryString(HKEY key, const wchar_t* subKey, const wchar_t* name)
{
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(key, subKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return buffer;
}

json OperatingSystem()
{
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    const auto getVersion = Export<RtlGetVersionFunction>(L"ntdll.dll", "RtlGetVersion");
    if (!getVersion || getVersion(&version) != 0) {
        return nullptr;
    }
    const wchar_t* current = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    return {{"name", Text(RegistryString(HKEY_LOCAL_MACHINE, current, L"ProductName"))},
            {"version",
             std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion)},
            {"build", version.dwBuildNumber},
            {"release", Text(RegistryString(HKEY_LOCAL_MACHINE, current, L"DisplayVersion"))}};
}

json WineVersion()
{
    using WineGetVersionFunction = const char*(CDECL*)();
    const auto getVersion = Export<WineGetVersionFunction>(L"ntdll.dll", "wine_get_version");
    return getVersion && getVersion() ? json(getVersion()) : json(nullptr);
}

// Mains or battery: on battery a laptop may clock its graphics down.
json PowerSource()
{
    SYSTEM_POWER_STATUS status = {};
    if (!GetSystemPowerStatus(&status) || status.ACLineStatus > 1) {
        return nullptr; // 255: the platform does not know
    }
    return status.ACLineStatus == 1 ? "mains" : "battery";
}

// The active power scheme's name ("Balanced", "Power saver", ...), which sets how far the
// processor and the graphics may slow down.
json PowerScheme()
{
    using GetActiveFunction = DWORD(WINAPI*)(HKEY, GUID**);
    using ReadNameFunction =
        DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, UCHAR*, DWORD*);
    const auto getActive = Export<GetActiveFunction>(L"powrprof.dll", "PowerGetActiveScheme");
    const auto readName = Export<ReadNameFunction>(L"powrprof.dll", "PowerReadFriendlyName");
    GUID* scheme = nullptr;
    if (!getActive || !readName || getActive(nullptr, &scheme) != ERROR_SUCCESS || !scheme) {
        return nullptr;
    }
    std::wstring name;
    DWORD bytes = 0;
    if (readName(nullptr, scheme, nullptr, nullptr, nullptr, &bytes) == ERROR_SUCCESS &&
        bytes >= sizeof(wchar_t)) {
        name.resize(bytes / sizeof(wchar_t));
        if (readName(nullptr, scheme, nullptr, nullptr, reinterpret_cast<UCHAR*>(&name[0]),
                     &bytes) != ERROR_SUCCESS) {
            name.clear();
        }
        name.resize(wcsnlen(name.c_str(), name.size()));
    }
    LocalFree(scheme);
    return name.empty() ? json(nullptr) : json(Utf8(name));
}

std::wstring PrimaryAdapter()
{
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof device;
    for (DWORD i = 0; EnumDisplayDevicesW(nullptr, i, &device, 0); ++i) {
        if (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) {
            return device.DeviceString;
        }
        device.cb = sizeof device;
    }
    return std::wstring();
}

std::wstring DriverValue(HKEY driver, const wchar_t* name)
{
    return RegistryString(driver, nullptr, name);
}

// The driver of the display device named `adapter` (or of the first one), from its driver
// key in the device setup registry.
void AddDriver(const std::wstring& adapter, json& environment)
{
    environment["driver_version"] = nullptr;
    environment["driver_date"] = nullptr;
    environment["driver_provider"] = nullptr;
    HDEVINFO devices = SetupDiGetClassDevsW(&kDisplayClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return;
    }
    SP_DEVINFO_DATA chosen = {};
    bool found = false;
    SP_DEVINFO_DATA info = {};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &info); ++i) {
        wchar_t name[512] = {};
        const bool named = SetupDiGetDeviceRegistryPropertyW(
            devices, &info, SPDRP_DEVICEDESC, nullptr, reinterpret_cast<BYTE*>(name),
            sizeof name - sizeof(wchar_t), nullptr);
        if (!found || (named && adapter == name)) {
            chosen = info;
            found = true;
        }
    }
    HKEY driver =
        found ? SetupDiOpenDevRegKey(devices, &chosen, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ)
              : static_cast<HKEY>(INVALID_HANDLE_VALUE);
    if (driver != INVALID_HANDLE_VALUE) {
        environment["driver_version"] = Text(DriverValue(driver, L"DriverVersion"));
        environment["driver_date"] = Text(DriverValue(driver, L"DriverDate"));
        environment["driver_provider"] = Text(DriverValue(driver, L"ProviderName"));
        RegCloseKey(driver);
    }
    SetupDiDestroyDeviceInfoList(devices);
}

json Screen()
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        return nullptr;
    }
    // 0 and 1 stand for the hardware's default rate, which says nothing of the real one.
    return {{"width", mode.dmPelsWidth},
            {"height", mode.dmPelsHeight},
            {"bits_per_pixel", mode.dmBitsPerPel},
            {"refresh_hz",
             mode.dmDisplayFrequency > 1 ? json(mode.dmDisplayFrequency) : json(nullptr)}};
}

json Dpi()
{
    HDC screen = GetDC(nullptr);
    if (!screen) {
        return nullptr;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? json(dpi) : json(nullptr);
}

json MemoryMb()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? json(status.ullTotalPhys / (1024 * 1024))
                                         : json(nullptr);
}

json FileVersion(const std::wstring& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::string block(size, '\0');
    void* value = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, &block[0]) ||
        !VerQueryValueW(&block[0], L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
        return nullptr;
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    char text[64];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", info->dwFileVersionMS >> 16,
                  info->dwFileVersionMS & 0xFFFF, info->dwFileVersionLS >> 16,
                  info->dwFileVersionLS & 0xFFFF);
    return text;
}

} // namespace

std::string ProgramJson(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = sizeof path / sizeof path[0];
    const bool named = process && QueryFullProcessImageNameW(process, 0, path, &length);
    if (process) {
        CloseHandle(process);
    }
    const json program = {{"version", named ? FileVersion(path) : json(nullptr)},
                          {"path", named ? Text(path) : json(nullptr)}};
    return program.dump();
}

std::string EnvironmentJson()
{
    const std::wstring adapter = PrimaryAdapter();
    json environment = {
        {"os", OperatingSystem()}, {"wine", WineVersion()}, {"adapter", Text(adapter)}};
    AddDriver(adapter, environment);
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    environment["screen"] = Screen();
    environment["dpi"] = Dpi();
    environment["cpu"] = Text(RegistryString(HKEY_LOCAL_MACHINE,
                                             L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                                             L"ProcessorNameString"));
    environment["logical_processors"] = system.dwNumberOfProcessors;
    environment["memory_mb"] = MemoryMb();
    environment["power_source"] = PowerSource();
    environment["power_scheme"] = PowerScheme();
    return environment.dump();
}

std::string UtcNow()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return text;
}
