#include "platform/settings/WindowsRegistry.h"

#include <memory>
#include <type_traits>

#include <windows.h>

namespace {

struct RegistryKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

} // namespace

bool CurrentUserKeyExists(const wchar_t* path)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    const RegistryKey key(opened);
    return true;
}
