#pragma once

#include "faces/FaceDescriptor.h"

#include <QString>
#include <QStringList>

#include <optional>

struct PortraitExamination;

// The face of the photo the site holds for the student now, described once
// per student, to tell whether the one before the camera is the same person.
struct SiteFace {
    // Nothing to compare with: no photo on the site (a first-year student),
    // or one whose face could not be described (whyNone says why).
    std::optional<FaceDescriptor> descriptor;
    QString whyNone;
};

// What the checks of a grab found, as the photographer reads it beside the
// preview.
struct ShotVerdict {
    // What is wrong with the shot; saving it anyway asks first. Empty: the
    // shot is fit to save.
    QStringList problems;
    // What could not be checked, and why; no reason to ask.
    QStringList notes;

    bool Passed() const { return problems.isEmpty(); }
};

// The checks of one grab, on what ExaminePortrait saw in the whole camera
// frame: exactly one face, upright, at least as large as it will be in the
// 120 x 180 photo, neither too dark nor blown out, not blurred
// (PortraitLimits.h), and
// where the site has a described photo of the student, the same person
// (FaceDescriptor.h).
ShotVerdict JudgeShot(const PortraitExamination& look, const SiteFace& site);

// The problem named when the face is not the site photo's person.
extern const QString kNotTheSitePhotosPerson;
