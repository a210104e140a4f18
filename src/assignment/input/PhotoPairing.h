#pragma once

#include "assignment/plan/AssignmentTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

// Pairing the roster's codes with photos by the photos' names or by an index
// file. Either way the outcome is a pair list like the position pairing's,
// so that the plan and the run need not know how it was made.

// The codes and photos that belong together, and what did not pair.
struct PairedPhotos {
    // input.codes[i] takes input.photoNames[i] (in input.photoFolder).
    AssignmentInput input;
    // The roster line (from 1) of each pair.
    QList<qsizetype> lines;
    // Whether a pair was made only by ignoring leading zeros ("00123" in the
    // roster, "123" in the index): true pairs carry a warning in the plan.
    QList<bool> byLeadingZeros;
    // The disagreements between the roster and the photos, one text each,
    // for the plan's notices: codes without a photo, students absent,
    // photos without a code, pairs made by ignoring leading zeros.
    QStringList notices;
};

// Pairs `input` as input.pairing says. Position pairing gives the input as
// it is. By file name, a photo whose name without its extension is the code
// (letter case and trailing blanks aside, as the database compares codes)
// belongs to that student. By index file, the index names each code's photo,
// relative to the index's folder or as a full path; an index code that is a
// roster code without its leading zeros (or the other way round) pairs with
// a warning. Codes of input.absentCodes left without a photo are noticed as
// absent, apart from the codes missing a photo. The outcome is a refusal
// (nothing was touched) when a code has two photos, when one photo is named
// for two codes, or when no index was loaded.
std::variant<PairedPhotos, AssignmentOutcome> PairPhotos(const AssignmentInput& input);
