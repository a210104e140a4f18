#pragma once

#include <QString>

// Whether `name` can stand as a file name of its own inside a folder on every
// platform the tool's files end up on: not "." or "..", no folder separator
// ("/", "\"), which would write outside the folder or into one that is not
// there, none of the characters Windows file names cannot hold (< > : " | ? *)
// and no control character. The photos end up on a Windows server. The empty
// name is left to the caller.
bool IsPlainFileName(const QString& name);
