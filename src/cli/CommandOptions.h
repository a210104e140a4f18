#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

// The options of every command, read by one set of rules: each option is
// "--name", followed by its values; a value never starts with "--", so a
// forgotten value is reported instead of taking the next option's name; and
// each option may be given once.

// How many values an option takes.
enum class OptionValues {
    None,    // a switch: --force
    One,     // --install-dir DIR
    Several, // --photo-list FILE...: up to the next option, at least one
};

enum class OptionPresence { Optional, Required };

struct OptionRule {
    QString name; // with its dashes
    OptionValues values = OptionValues::One;
    OptionPresence presence = OptionPresence::Optional;
};

// The options given, each with its values (none for a switch).
class GivenOptions {
public:
    bool Has(const QString& name) const { return given_.contains(name); }
    // The first value of the option, or `absent` when it was not given.
    QString Value(const QString& name, const QString& absent = {}) const;
    QStringList Values(const QString& name) const { return given_.value(name); }

private:
    friend std::variant<GivenOptions, QString> ParseOptions(const QStringList&, const QList<OptionRule>&);
    QHash<QString, QStringList> given_;
};

// Reads `arguments` by `rules`. Gives the options, or what is wrong in the
// words of a usage error: "unknown argument --x", "--x needs a value",
// "--x given twice", "--x is required" (for the first missing one in the
// order of `rules`). Every command knows --help (or -h) besides its rules:
// given anywhere, the options are only "--help", whatever else is wrong,
// and the command prints its usage (PrintUsage, Console.h).
std::variant<GivenOptions, QString> ParseOptions(const QStringList& arguments, const QList<OptionRule>& rules);

// --jobs N, the threads a command works on: N from 1 to kMaxJobs, or 0 (one
// per processor core) when it is not given; otherwise what is wrong, in the
// words of a usage error.
inline constexpr int kMaxJobs = 64;
std::variant<int, QString> JobsOption(const GivenOptions& options);
