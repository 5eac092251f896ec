// Functions looked up at run time, for the platform calls that not every Windows (or Wine)
// has: null where the module or the function is missing.
#pragma once

#include <windows.h>

template <typename Function> Function Export(const wchar_t* module, const char* name)
{
    HMODULE handle = GetModuleHandleW(module);
    if (!handle) {
        handle = LoadLibraryW(module);
    }
    return handle
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)))
               : nullptr;
}
