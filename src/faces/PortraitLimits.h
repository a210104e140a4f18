#pragma once

// What the face of a portrait must show to make a clear 120 x 180 photo, on
// PortraitExamination's measures, as the photo day's checks at the camera
// hold a grab against them. The light limits are the proof sheet's (its face
// checks, assignment/checks/FaceChecks.cpp, keep their own copy for now).

// Over this share of the face near black or near white, it cannot be seen.
inline constexpr double kTooDarkShare = 0.5;
inline constexpr double kTooBrightShare = 0.4;

// Below this sharpness a face measured from a photo at full resolution is
// blurred: the photo day's one grab has no batch to take a median of, as the
// proof sheet does. The measure takes the face at about its size in the
// saved photo (96 pixels square), so it holds for any size of face in the
// frame. Held against the labelled faces (tests/data/faces) and five of the
// repository's portraits, each shown in a 1920 x 1080 camera frame at three
// sizes (489 faces found; bench/photoday, shot_checks_bench --sharpness):
// no photo as taken measures under 68; out of focus by a Gaussian of 2
// pixels of the saved photo, 98 % measure under 40, of 1.5 pixels 90 %, of
// 1 pixel (hardly seen) 29 %.
inline constexpr double kBlurredSharpness = 40;
