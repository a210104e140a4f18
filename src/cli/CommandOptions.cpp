#include "cli/CommandOptions.h"

#include <algorithm>

namespace {

bool IsOptionName(const QString& argument)
{
    return argument.startsWith(QStringLiteral("--"));
}

} // namespace

QString GivenOptions::Value(const QString& name, const QString& absent) const
{
    const auto found = given_.constFind(name);
    return found == given_.cend() || found->isEmpty() ? absent : found->first();
}

std::variant<GivenOptions, QString> ParseOptions(const QStringList& arguments, const QList<OptionRule>& rules)
{
    GivenOptions options;
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        options.given_.insert(QStringLiteral("--help"), {});
        return options;
    }
    for (qsizetype i = 0; i < arguments.size();) {
        const QString& name = arguments[i++];
        const auto rule = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& r) { return r.name == name; });
        if (rule == rules.end())
            return QStringLiteral("unknown argument %1").arg(name);
        if (options.Has(name))
            return QStringLiteral("%1 given twice").arg(name);
        QStringList values;
        const qsizetype wanted = rule->values == OptionValues::None  ? 0
                                 : rule->values == OptionValues::One ? 1
                                                                     : arguments.size();
        while (values.size() < wanted && i < arguments.size() && !IsOptionName(arguments[i]))
            values << arguments[i++];
        if (rule->values != OptionValues::None && values.isEmpty())
            return QStringLiteral("%1 needs a value").arg(name);
        options.given_.insert(name, values);
    }
    for (const OptionRule& rule : rules) {
        if (rule.presence == OptionPresence::Required && !options.Has(rule.name))
            return QStringLiteral("%1 is required").arg(rule.name);
    }
    return options;
}

std::variant<int, QString> JobsOption(const GivenOptions& options)
{
    if (!options.Has("--jobs"))
        return 0;
    bool isNumber = false;
    const QString jobsText = options.Value("--jobs");
    const int jobs = jobsText.toInt(&isNumber);
    if (!isNumber || jobs < 1 || jobs > kMaxJobs)
        return QStringLiteral("--jobs %1 is not a number of threads from 1 to %2").arg(jobsText).arg(kMaxJobs);
    return jobs;
}
