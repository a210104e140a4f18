#include "files/EntryFacts.h"

#include <string>

namespace {

class FileRuleCategoryImpl : public std::error_category {
public:
    const char* name() const noexcept override { return "file rule"; }
    std::string message(int value) const override
    {
        switch (static_cast<FileRule>(value)) {
        case FileRule::NotRegular:
            return "not a regular file";
        case FileRule::NotFolder:
            return "not a folder";
        case FileRule::TooLarge:
            return "file too large";
        case FileRule::LeadsOutside:
            return "a link leads outside";
        case FileRule::Changed:
            return "replaced while in use";
        case FileRule::NotAName:
            return "not a plain entry name";
        }
        return "file rule";
    }
};

} // namespace

const std::error_category& FileRuleCategory()
{
    static const FileRuleCategoryImpl category;
    return category;
}

std::error_code make_error_code(FileRule rule)
{
    return {static_cast<int>(rule), FileRuleCategory()};
}
