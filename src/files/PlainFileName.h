#pragma once

#include <QString>

#include <optional>

// Whether `name` can stand as a file name of its own inside a folder on every
// platform the tool's files end up on: not "." or "..", no folder separator
// ("/", "\"), which would write outside the folder or into one that is not
// there, none of the characters Windows file names cannot hold (< > : " | ? *)
// and no control character. The photos end up on a Windows server. The empty
// name is left to the caller.
bool IsPlainFileName(const QString& name);

// Why `name` cannot be written as a file of its own on both Windows and
// Linux, in words for the user; nothing when it can. Beyond a plain file name
// (above) it must not be empty, must not end with a dot or a blank (Windows
// drops them, so two names would meet in one file), must not be one of the
// device names Windows reserves in every folder (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, also with an extension: "NUL.jpg"), and must fit in
// 255 bytes of UTF-8 and 255 UTF-16 units.
std::optional<QString> PortableFileNameFault(const QString& name);
