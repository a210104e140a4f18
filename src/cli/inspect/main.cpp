// picture-inspect FILE... [--to-bmp OUT]: the inspect command on its own,
// needing nothing but the picture component.
#include "cli/inspect/PictureInspection.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

template <class Char> int Run(int argc, Char* argv[])
{
    try {
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i) {
            // Through a path: from the platform's argument encoding to UTF-8.
            const std::u8string text = std::filesystem::path(argv[i]).u8string();
            arguments.emplace_back(text.begin(), text.end());
        }
        return RunPictureInspection(arguments, "picture-inspect", std::cout, std::cerr);
    } catch (const std::exception& error) {
        // An argument the platform cannot convert, or no memory left: said, not a crash.
        std::cerr << "picture-inspect: " << error.what() << '\n';
        return 1;
    }
}

} // namespace

#ifdef _WIN32
// Windows hands narrow arguments over in the ANSI code page, which cannot hold
// every file name; the wide ones can.
int wmain(int argc, wchar_t* argv[])
{
    return Run(argc, argv);
}
#else
int main(int argc, char* argv[])
{
    return Run(argc, argv);
}
#endif
