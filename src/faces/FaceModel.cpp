#include "faces/FaceModel.h"

#include <system_error>

#ifdef _WIN32
#include <optional>

#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// `wide` in the ANSI code page, or nothing when that code page cannot spell it.
std::optional<std::string> InAnsiCodePage(const std::wstring& wide)
{
    if (wide.empty())
        return std::string();
    const UINT codePage = GetACP();
    // UTF-8 as the ANSI code page (a choice Windows offers) spells everything
    // and takes neither the flag nor the question below.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* askUsedDefault = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, askUsedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}
#endif

} // namespace

std::filesystem::path FaceModelFile(const std::filesystem::path& programFolder)
{
    std::filesystem::path beside = programFolder / kFaceModelFileName;
#ifdef SP_INSTALLED_FACE_MODEL
    std::error_code error;
    if (!std::filesystem::is_regular_file(beside, error))
        return SP_INSTALLED_FACE_MODEL;
#endif
    return beside;
}

std::filesystem::path DescriptorModelFile(const std::filesystem::path& programFolder)
{
    return programFolder / kDescriptorModelFileName;
}

std::filesystem::path RunningProgramFolder()
{
#ifdef _WIN32
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
#else
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
#endif
}

std::string OpenCvFileName(const std::filesystem::path& file)
{
#ifdef _WIN32
    if (std::optional<std::string> narrow = InAnsiCodePage(file.wstring()))
        return *narrow;
    const std::wstring wide = file.wstring();
    const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size > 0) {
        std::wstring shortName(size, L'\0');
        shortName.resize(GetShortPathNameW(wide.c_str(), shortName.data(), size));
        if (std::optional<std::string> narrow = InAnsiCodePage(shortName))
            return *narrow;
    }
    // No name OpenCV can open: this one fails, and the failure names the file.
    return Utf8Name(file);
#else
    return file.string();
#endif
}

std::string Utf8Name(const std::filesystem::path& file)
{
    const std::u8string name = file.u8string();
    return std::string(name.begin(), name.end());
}
