#include "assignment/input/PhotoPairing.h"

#include "assignment/input/CodeFolding.h"
#include "assignment/input/PhotoIndex.h"
#include "assignment/plan/RunMessages.h"
#include "files/FolderString.h"
#include "files/SameFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

using namespace AssignmentMessages;

constexpr qsizetype kRefusalsShown = 10;

// A photo file's name without its last extension, as a code would be written.
QString NameKey(const QString& photoName)
{
    const QString name = QFileInfo(photoName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return StudentCodeKey(dot < 0 ? name : name.left(dot));
}

// The code without its leading zeros ("0" stays "0").
QString ZeroFreeKey(const QString& code)
{
    const QString key = StudentCodeKey(code);
    qsizetype start = 0;
    while (start + 1 < key.size() && key[start] == u'0')
        ++start;
    return key.mid(start);
}

QString Quoted(const QString& text)
{
    return QStringLiteral("“%1”").arg(ShownCode(text));
}

// One candidate photo for a code: its name as the plan shows it, and where
// it was named (the index's line; 0 for a photo list).
struct Candidate {
    QString name;
    qsizetype indexLine = 0;
    bool byLeadingZeros = false;
};

// Collects what the pairing refuses, the first ten in the message and all
// of them in the details.
class Refusals {
public:
    void Add(const QString& text)
    {
        if (all_.size() < kRefusalsShown)
            shown_ << text;
        all_ << text;
    }
    bool IsEmpty() const { return all_.isEmpty(); }
    AssignmentOutcome Outcome(const QString& heading) const
    {
        QStringList message{heading};
        message << shown_;
        if (all_.size() > kRefusalsShown)
            message << QStringLiteral("等 %1 处").arg(all_.size());
        message << QStringLiteral("没有设置任何学生，请改正后重试！");
        return Refusal(message.join(u'\n'), all_.size() > kRefusalsShown ? all_.join(u'\n') : QString());
    }

private:
    QStringList shown_;
    QStringList all_;
};

QString CandidateText(const Candidate& candidate)
{
    return candidate.indexLine > 0 ? QStringLiteral("%1（%2第 %3 行）")
                                         .arg(Quoted(candidate.name), kPhotoIndexNoun)
                                         .arg(candidate.indexLine)
                                   : Quoted(candidate.name);
}

// "（文件名只差大小写，是不同的文件）" when the candidates' names are one
// name but for letter case and the file system holds them apart: a reader
// would take them for one file.
QString OnlyCaseDiffers(const QString& folder, const QList<Candidate>& candidates)
{
    const Candidate& first = candidates.first();
    const bool twoFilesOfOneName = std::all_of(candidates.cbegin() + 1, candidates.cend(), [&](const Candidate& c) {
        return c.name.compare(first.name, Qt::CaseInsensitive) == 0
               && LeadToOneFile(folder + first.name, folder + c.name) == false;
    });
    return twoFilesOfOneName ? QStringLiteral("（文件名只差大小写，是不同的文件）") : QString();
}

// Pairs every roster code with the candidates `find` gives it: exactly one
// makes a pair, none a notice (one of their own for the students recorded
// absent), more a refusal. `photoKey` tells two spellings of one photo file
// apart from two files.
std::variant<PairedPhotos, AssignmentOutcome> PairCodes(const AssignmentInput& input,
                                                        const std::function<QList<Candidate>(const QString&)>& find,
                                                        QString (*photoKey)(const QString&))
{
    PairedPhotos paired;
    paired.input = input;
    paired.input.codes.clear();
    paired.input.photoNames.clear();
    QStringList withoutPhoto;
    QStringList absent;
    QSet<QString> absentKeys;
    for (const QString& code : input.absentCodes)
        absentKeys.insert(StudentCodeKey(code));
    QStringList byZeros;
    Refusals twoPhotos;
    QHash<QString, qsizetype> pairOfPhoto;
    Refusals twoCodes;
    for (qsizetype i = 0; i < input.codes.size(); ++i) {
        const QString& code = input.codes[i];
        const QList<Candidate> candidates = find(code);
        if (candidates.isEmpty()) {
            (absentKeys.contains(StudentCodeKey(code)) ? absent : withoutPhoto)
                << QStringLiteral("%1（第 %2 行）").arg(Quoted(code)).arg(i + 1);
            continue;
        }
        if (candidates.size() > 1) {
            QStringList names;
            for (const Candidate& candidate : candidates)
                names << CandidateText(candidate);
            twoPhotos.Add(QStringLiteral("第 %1 行的学籍号%2：%3%4")
                              .arg(i + 1)
                              .arg(Quoted(code), names.join(u'、'), OnlyCaseDiffers(input.photoFolder, candidates)));
            continue;
        }
        const Candidate& photo = candidates.first();
        const QString key = photoKey(photo.name);
        if (const auto earlier = pairOfPhoto.constFind(key); earlier != pairOfPhoto.cend()) {
            twoCodes.Add(QStringLiteral("%1：第 %2 行的学籍号%3和第 %4 行的学籍号%5")
                             .arg(CandidateText(photo))
                             .arg(paired.lines[*earlier])
                             .arg(Quoted(paired.input.codes[*earlier]))
                             .arg(i + 1)
                             .arg(Quoted(code)));
            continue;
        }
        pairOfPhoto.insert(key, paired.lines.size());
        paired.input.codes << code;
        paired.input.photoNames << photo.name;
        paired.lines << i + 1;
        paired.byLeadingZeros << photo.byLeadingZeros;
        if (photo.byLeadingZeros) {
            byZeros << QStringLiteral("第 %1 行的%2对应%3").arg(i + 1).arg(Quoted(code), CandidateText(photo));
        }
    }
    if (!twoPhotos.IsEmpty())
        return twoPhotos.Outcome(QStringLiteral("一名学生只能对应一张照片，这些学籍号找到了两张以上："));
    if (!twoCodes.IsEmpty())
        return twoCodes.Outcome(QStringLiteral("一张照片只能对应一名学生，这些照片对应了两个以上学籍号："));
    if (!withoutPhoto.isEmpty()) {
        paired.notices << QStringLiteral("%1 个学籍号没有照片，不会设置：%2")
                              .arg(withoutPhoto.size())
                              .arg(withoutPhoto.join(u'、'));
    }
    if (!absent.isEmpty())
        paired.notices << QStringLiteral("缺席 %1 名，不会设置：%2").arg(absent.size()).arg(absent.join(u'、'));
    if (!byZeros.isEmpty()) {
        paired.notices << QStringLiteral("%1 个学籍号只有去掉前导零才对得上，请核对：%2")
                              .arg(byZeros.size())
                              .arg(byZeros.join(u'、'));
    }
    return paired;
}

std::variant<PairedPhotos, AssignmentOutcome> PairByFileName(const AssignmentInput& input)
{
    QHash<QString, QList<qsizetype>> photosOfKey;
    for (qsizetype i = 0; i < input.photoNames.size(); ++i)
        photosOfKey[NameKey(input.photoNames[i])] << i;
    auto outcome = PairCodes(
        input,
        [&](const QString& code) {
            QList<Candidate> candidates;
            for (const qsizetype photo : photosOfKey.value(StudentCodeKey(code)))
                candidates.append({input.photoNames[photo]});
            return candidates;
        },
        [](const QString& name) { return name.toCaseFolded(); });
    if (PairedPhotos* paired = std::get_if<PairedPhotos>(&outcome)) {
        QSet<QString> codeKeys;
        for (const QString& code : input.codes)
            codeKeys.insert(StudentCodeKey(code));
        QStringList withoutCode;
        for (const QString& name : input.photoNames) {
            if (!codeKeys.contains(NameKey(name)))
                withoutCode << Quoted(name);
        }
        if (!withoutCode.isEmpty()) {
            paired->notices << QStringLiteral("%1 张照片的文件名不是名单中的学籍号，不会使用：%2")
                                   .arg(withoutCode.size())
                                   .arg(withoutCode.join(u'、'));
        }
    }
    return outcome;
}

std::variant<PairedPhotos, AssignmentOutcome> PairByIndex(const AssignmentInput& input)
{
    if (input.indexFile.isEmpty())
        return Refusal(QStringLiteral("没有加载对照表！"));
    const QList<PhotoIndexRow>& rows = input.indexRows;
    AssignmentInput indexed = input;
    const QString indexFolder = QFileInfo(input.indexFile).absolutePath();
    indexed.photoFolder = FolderString(indexFolder);
    const QDir folder(indexFolder);

    // Each row's photo as the plan names it: relative to the index's folder.
    QStringList photoOfRow;
    for (const PhotoIndexRow& row : rows) {
        const QString full = QDir::cleanPath(folder.absoluteFilePath(row.photo));
        const QString relative = folder.relativeFilePath(full);
        // Another drive has no way there from the index's folder.
        if (QDir::isAbsolutePath(relative)) {
            return Refusal(QStringLiteral("%1第 %2 行的照片不在%1所在的磁盘上：%3")
                               .arg(kPhotoIndexNoun)
                               .arg(row.line)
                               .arg(QDir::toNativeSeparators(full)));
        }
        photoOfRow << relative;
    }

    QHash<QString, QList<qsizetype>> rowsOfKey;
    QHash<QString, QList<qsizetype>> rowsOfZeroFreeKey;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        rowsOfKey[StudentCodeKey(rows[r].code)] << r;
        rowsOfZeroFreeKey[ZeroFreeKey(rows[r].code)] << r;
    }
    QSet<qsizetype> used;
    auto outcome = PairCodes(
        indexed,
        [&](const QString& code) {
            // The exact code first; leading zeros are looked past only when
            // nothing matches exactly.
            QList<qsizetype> found = rowsOfKey.value(StudentCodeKey(code));
            const bool byZeros = found.isEmpty();
            if (byZeros)
                found = rowsOfZeroFreeKey.value(ZeroFreeKey(code));
            QList<Candidate> candidates;
            for (const qsizetype r : found) {
                used.insert(r);
                candidates.append({photoOfRow[r], rows[r].line, byZeros});
            }
            return candidates;
        },
        // The same file however the index spells it.
        [](const QString& name) { return QDir::cleanPath(name).toCaseFolded(); });
    if (PairedPhotos* paired = std::get_if<PairedPhotos>(&outcome)) {
        QStringList unused;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            if (!used.contains(r))
                unused << QStringLiteral("第 %1 行%2").arg(rows[r].line).arg(Quoted(rows[r].code));
        }
        if (!unused.isEmpty()) {
            paired->notices << QStringLiteral("%1中有 %2 行的学籍号不在名单中，不会使用：%3")
                                   .arg(kPhotoIndexNoun)
                                   .arg(unused.size())
                                   .arg(unused.join(u'、'));
        }
    }
    return outcome;
}

} // namespace

std::variant<PairedPhotos, AssignmentOutcome> PairPhotos(const AssignmentInput& input)
{
    switch (input.pairing) {
    case PairingMode::Position:
        break;
    case PairingMode::FileName:
        return PairByFileName(input);
    case PairingMode::IndexFile:
        return PairByIndex(input);
    }
    PairedPhotos paired;
    paired.input = input;
    for (qsizetype i = 0; i < input.codes.size(); ++i) {
        paired.lines << i + 1;
        paired.byLeadingZeros << false;
    }
    return paired;
}
