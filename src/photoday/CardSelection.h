#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Which student a card held up before the camera selects. A card selects
// when it comes into view, once: while the student keeps holding it up
// (through the photo and after the save, when the day has moved on to the
// next student) it selects nothing more. Only a card missing from
// kLooksToLeave looks in a row has left, and selects again when it comes
// back: one look that misses a card still in view must not send the day
// back to a student photographed already.
class CardSelection {
public:
    static constexpr int kLooksToLeave = 3;

    // The roster's codes, in order; a card's code is matched letter case aside.
    explicit CardSelection(const QStringList& roster);

    struct Seen {
        std::optional<qsizetype> student; // the roster position a card came to select
        QStringList strangers;            // codes that came into view and are not on the roster
    };
    // What one look at the camera found: the texts of the codes in the frame.
    Seen Look(const QStringList& codes);

private:
    QHash<QString, qsizetype> positions_;
    // The cards in view, and how many looks in a row have missed each.
    QHash<QString, int> inView_;
};
