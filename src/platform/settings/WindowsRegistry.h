#pragma once

// Windows only: whether a key exists under HKEY_CURRENT_USER, values or not.
// Qt's settings object on the key sees nothing in a key without values, as
// if the key were missing.
bool CurrentUserKeyExists(const wchar_t* path);
