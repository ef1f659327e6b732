// SPDX-License-Identifier: MIT
#include "UserPlaces.h"

#include <windows.h>

#include <cwchar>

namespace morlith {
namespace {

std::string Utf8Of(const std::wstring &text)
{
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(size_t(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), length,
                            nullptr, nullptr);
    return utf8;
}

// The environment variable `name` when it holds an absolute path, else "".
std::wstring AbsoluteFolderIn(const wchar_t *name)
{
    const wchar_t *value = _wgetenv(name);
    if (!value || !*value)
        return std::wstring();
    const std::wstring folder(value);
    const bool drive = folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
    const bool share = folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
    return drive || share ? folder : std::wstring();
}

// %LOCALAPPDATA%\Morlith; %USERPROFILE%\AppData\Local\Morlith when the variable is missing, and
// the Windows folder's drive as a last resort.
std::string MorlithFolder()
{
    std::wstring base = AbsoluteFolderIn(L"LOCALAPPDATA");
    if (base.empty()) {
        base = AbsoluteFolderIn(L"USERPROFILE");
        base = base.empty() ? std::wstring(L"C:") : base + L"\\AppData\\Local";
    }
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/'))
        base.pop_back();
    return Utf8Of(base + L"\\Morlith");
}

} // namespace

std::string UserSettingsFile(const std::string &name) { return MorlithFolder() + "\\" + name; }

std::string UserStateFile(const std::string &name) { return MorlithFolder() + "\\" + name; }

} // namespace morlith
