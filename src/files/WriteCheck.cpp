#include "files/WriteCheck.h"

#include "files/ReplaceFile.h"
#include "files/SystemErrorText.h"

std::error_code WriteCheck(const FolderHandle& folder)
{
    std::error_code error;
    const std::string name = NativeName(UnguessableNameBeside(QStringLiteral("write-check"), 0));
    FileHandle file = folder.CreateNew(name, error);
    if (error)
        return error;
    file = FileHandle();
    std::error_code ignored;
    folder.Remove(name, ignored);
    return {};
}
