#pragma once

#include <filesystem>
#include <string>

// The face detector's model is OpenCV's frontal-face cascade. The Windows
// download ships it beside the programs; a Linux build also finds the copy
// that OpenCV's data package (opencv-data) installed.
inline constexpr char kFaceModelFileName[] = "haarcascade_frontalface_alt2.xml";

// The model of a program in `programFolder`: the file beside it when it is
// there; else, except on Windows, the installed copy. On Windows the file
// beside the program is the only place, so a missing model is reported
// under the name the user can put it back at.
std::filesystem::path FaceModelFile(const std::filesystem::path& programFolder);

// The face descriptor network's model (FaceDescriber.h): this manifest and
// the weight file it names, beside the programs on every system (the build
// copies them there from scripts/fetch-face-descriptor-model's cache).
inline constexpr char kDescriptorModelFileName[] = "face_recognition_model-weights_manifest.json";

// The descriptor model of a program in `programFolder`.
std::filesystem::path DescriptorModelFile(const std::filesystem::path& programFolder);

// The folder of the running program's executable file; empty when the
// system cannot tell.
std::filesystem::path RunningProgramFolder();

// The name OpenCV opens `file` by. OpenCV takes a narrow name and hands it
// to the C library, which on Windows reads it in the ANSI code page: a folder
// named in Chinese opens on Chinese Windows as it is, and elsewhere by its
// short (8.3) name. Other systems open the path's own bytes.
std::string OpenCvFileName(const std::filesystem::path& file);

// The path as UTF-8, for messages.
std::string Utf8Name(const std::filesystem::path& file);
