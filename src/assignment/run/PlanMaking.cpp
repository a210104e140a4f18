#include "assignment/run/PlanMaking.h"

#include "assignment/checks/PhotoProbe.h"
#include "assignment/checks/SamePictureChecks.h"
#include "assignment/input/CodeBlanks.h"
#include "assignment/input/CodeFolding.h"
#include "assignment/input/PhotoPairing.h"
#include "assignment/plan/RunMessages.h"
#include "assignment/site/SiteConfig.h"
#include "assignment/site/SiteIdentity.h"
#include "assignment/site/StudentPhotoFile.h"
#include "assignment/site/StudentRows.h"
#include "files/PlainFileName.h"
#include "files/SameFile.h"
#include "files/SystemErrorText.h"
#include "files/WriteCheck.h"
#include "platform/database/TADOQuery.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <stdexcept>

namespace {

using namespace AssignmentMessages;

constexpr qsizetype kGroupsShown = 10;

// Positions (from 1) of the entries that share a key with an earlier one,
// grouped under the first spelling, in the order the groups first appear.
QList<QPair<QString, QList<qsizetype>>> Repeats(const QStringList& entries, QString (*key)(const QString&))
{
    QHash<QString, qsizetype> groupOf;
    QList<QPair<QString, QList<qsizetype>>> groups;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString k = key(entries[i]);
        const auto found = groupOf.constFind(k);
        if (found == groupOf.cend()) {
            groupOf.insert(k, groups.size());
            groups.append({entries[i], {i + 1}});
        } else {
            groups[*found].second << i + 1;
        }
    }
    groups.removeIf([](const auto& group) { return group.second.size() < 2; });
    return groups;
}

QString FileNameKey(const QString& name)
{
    return name.toCaseFolded();
}

// The photo list's entries that name one file more than once. Two files whose
// names differ only in letter case are two photos, not a repeat: the pairing
// tells what they are (two photos for one code, by name).
QList<QPair<QString, QList<qsizetype>>> RepeatedPhotos(const AssignmentInput& input)
{
    QList<QPair<QString, QList<qsizetype>>> repeated;
    for (const auto& group : Repeats(input.photoNames, FileNameKey)) {
        QList<QPair<QString, QList<qsizetype>>> files;
        for (const qsizetype position : group.second) {
            const QString& name = input.photoNames[position - 1];
            // Names that lead to no file are taken for one, as Windows would take them.
            const auto file = std::find_if(files.begin(), files.end(), [&](const auto& known) {
                return LeadToOneFile(input.photoFolder + known.first, input.photoFolder + name).value_or(true);
            });
            if (file == files.end())
                files.append({name, {position}});
            else
                file->second << position;
        }
        for (const auto& file : std::as_const(files)) {
            if (file.second.size() > 1)
                repeated << file;
        }
    }
    return repeated;
}

// "“X”在第 3、7 行" for each group; the first ten in `shown`, all in `all`.
void DescribeRepeats(const QList<QPair<QString, QList<qsizetype>>>& groups, const QString& unit, QStringList& shown,
                     QStringList& all)
{
    for (qsizetype g = 0; g < groups.size(); ++g) {
        QStringList positions;
        for (const qsizetype position : groups[g].second)
            positions << QString::number(position);
        const QString text =
            QStringLiteral("“%1”在第 %2 %3").arg(ShownCode(groups[g].first), positions.join(u'、'), unit);
        if (g < kGroupsShown)
            shown << text;
        all << text;
    }
    if (groups.size() > kGroupsShown)
        shown << QStringLiteral("等 %1 处").arg(groups.size());
}

std::optional<AssignmentOutcome> CheckRepeats(const AssignmentInput& input)
{
    const auto codes = Repeats(input.codes, DuplicateCodeKey);
    const auto photos = RepeatedPhotos(input);
    if (codes.isEmpty() && photos.isEmpty())
        return std::nullopt;
    QStringList message;
    QStringList details;
    if (!codes.isEmpty()) {
        message << QStringLiteral("学籍号重复，一名学生只能对应一张照片：");
        DescribeRepeats(codes, QStringLiteral("行"), message, details);
    }
    if (!photos.isEmpty()) {
        message << QStringLiteral("同一张图片出现了两次以上，照片和学籍号会错位：");
        DescribeRepeats(photos, QStringLiteral("张"), message, details);
    }
    message << QStringLiteral("没有设置任何学生，请改正后重试！");
    const bool cut = codes.size() > kGroupsShown || photos.size() > kGroupsShown;
    return Refusal(message.join(u'\n'), cut ? details.join(u'\n') : QString());
}

std::optional<AssignmentOutcome> CheckInput(const AssignmentInput& input)
{
    if (!input.installationFolder)
        return Refusal(kFolderNotChosen);
    if (input.photoFolder.isEmpty() && input.pairing != PairingMode::IndexFile)
        return Refusal(kNoPhotos);
    if (input.pairing == PairingMode::Position && input.photoNames.size() != input.codes.size())
        return Refusal(
            kCountsDiffer
            + QStringLiteral("\n学生 %1 名，图片 %2 张").arg(input.codes.size()).arg(input.photoNames.size()));
    for (qsizetype i = 0; i < input.codes.size(); ++i) {
        // The empty code is allowed: its photo becomes ".jpg".
        if (!input.codes[i].isEmpty() && !IsPlainFileName(input.codes[i])) {
            return Refusal(QStringLiteral("第 %1 行的学籍号“%2”不能用作图片文件名"
                                          "（不能含有 / \\ < > : \" | ? * 或控制字符，也不能是 . 或 ..），"
                                          "请改正学籍号文件后重试！")
                               .arg(i + 1)
                               .arg(ShownCode(input.codes[i])));
        }
    }
    return CheckRepeats(input);
}

PlanRow MakeRow(const AssignmentInput& input, const QString& sitePhotoFolder,
                const QHash<QString, StudentRow>& students, qsizetype index)
{
    PlanRow row;
    row.line = index + 1;
    row.code = input.codes[index];
    row.photoName = input.photoNames[index];
    row.source = input.photoFolder + row.photoName;
    row.photo = ProbePhoto(row.source);
    row.destination = sitePhotoFolder + StudentPhotoFileName(row.code);
    const QFileInfo destination(row.destination);
    row.destinationExists = destination.exists() || destination.isSymLink();
    const auto student = students.constFind(row.code);
    row.studentExists = student != students.cend();
    if (row.studentExists) {
        row.currentPhoto = student->photo;
        row.name = student->name;
    }

    if (!row.studentExists)
        row.warnings |= PlanWarning::NoStudent;
    if (row.photo.kind == PhotoFacts::Kind::Unreadable)
        row.warnings |= PlanWarning::UnreadablePhoto;
    else if (IsOddPhotoShape(row.photo.width, row.photo.height))
        row.warnings |= PlanWarning::OddShape;
    if (row.destinationExists || (row.studentExists && !row.currentPhoto.toString().isEmpty()))
        row.warnings |= PlanWarning::HasPhoto;
    if (CodeNeedsFolding(row.code))
        row.warnings |= PlanWarning::CodeNeedsFolding;
    if (HasBlankAround(row.code))
        row.warnings |= PlanWarning::BlankAroundCode;
    return row;
}

// Gives the plan made from `paired.input` the roster lines, the leading
// zero warnings and the notices of the pairing.
void ApplyPairing(const PairedPhotos& paired, AssignmentPlan& plan)
{
    for (qsizetype i = 0; i < plan.rows.size() && i < paired.lines.size(); ++i) {
        plan.rows[i].line = paired.lines[i];
        if (paired.byLeadingZeros[i])
            plan.rows[i].warnings |= PlanWarning::LeadingZeros;
    }
    plan.notices << paired.notices;
}

QList<PictureOfRow> PicturesOf(AssignmentPlan& plan)
{
    QList<PictureOfRow> pictures;
    for (PlanRow& row : plan.rows) {
        const QString current = CurrentPhotoFile(plan.sitePhotoFolder, row.currentPhoto,
                                                 row.destinationExists ? row.destination : QString());
        pictures << PictureOfRow{row.line, row.photoName, row.source, current, &row.photo};
    }
    return pictures;
}

// After the pictures were looked at: a photo found undecodable is warned as
// unreadable, and the same pictures are.
void WarnSamePictures(AssignmentPlan& plan, const QList<SamePictures>& found)
{
    for (qsizetype i = 0; i < plan.rows.size(); ++i) {
        PlanRow& row = plan.rows[i];
        if (row.photo.kind == PhotoFacts::Kind::Unreadable && !row.warnings.testFlag(PlanWarning::UnreadablePhoto)) {
            row.warnings &= ~PlanWarnings(PlanWarning::OddShape);
            row.warnings |= PlanWarning::UnreadablePhoto;
        }
        row.samePictureLines = found[i].newPhotoLines;
        row.currentPhotoOfLines = found[i].currentPhotoLines;
        if (!row.samePictureLines.isEmpty())
            row.warnings |= PlanWarning::SamePicture;
        if (!row.currentPhotoOfLines.isEmpty())
            row.warnings |= PlanWarning::AnotherStudentsPhoto;
    }
}

} // namespace

PlanOutcome MakeAssignmentPlan(const AssignmentInput& givenInput, TADOQuery& query)
{
    if (std::optional<AssignmentOutcome> refusal = CheckInput(givenInput))
        return PlanOutcome{std::nullopt, std::move(*refusal)};
    std::variant<PairedPhotos, AssignmentOutcome> pairing = PairPhotos(givenInput);
    if (AssignmentOutcome* refusal = std::get_if<AssignmentOutcome>(&pairing))
        return PlanOutcome{std::nullopt, std::move(*refusal)};
    const PairedPhotos& paired = std::get<PairedPhotos>(pairing);
    const AssignmentInput& input = paired.input;

    AssignmentPlan plan;
    plan.installationFolder = *input.installationFolder;
    plan.site = IdentifySite(plan.installationFolder);
    plan.sitePhotoFolder = SitePhotoFolder(plan.installationFolder);
    try {
        // Without the folder no photo could land; better to write no row at all.
        if (!QFileInfo(plan.sitePhotoFolder).isDir()) {
            throw std::runtime_error(QStringLiteral("网站的照片文件夹不存在：%1")
                                         .arg(QDir::toNativeSeparators(plan.sitePhotoFolder))
                                         .toStdString());
        }
        // Never a link out of the site, as the run would refuse it. A folder
        // the run could not write to is told now, not student by student
        // after the run.
        if (const std::error_code error = WriteCheck(OpenPhotoFolder(plan.installationFolder))) {
            plan.notices << QStringLiteral("网站的照片文件夹 %1 无法写入：%2，照片将无法复制。")
                                .arg(QDir::toNativeSeparators(plan.sitePhotoFolder), SystemErrorText(error));
        }
        // One reading of Web.config gives both, so they always agree.
        const ConnectionSettings settings = SiteConnectionSettings(plan.installationFolder);
        plan.connectionString = BuildConnectionString(settings);
        plan.database = DatabaseName(settings);
        OpenSiteDatabase(query, plan.connectionString, DatabaseOfWebConfig(plan.installationFolder, settings));
        plan.nameColumn = NameColumnOf(query, input.nameColumn);
        const QHash<QString, StudentRow> students =
            ReadStudentRows(query, input.codes, kCodesPerStatement, plan.nameColumn);
        query.Close();

        plan.rows.reserve(input.codes.size());
        for (qsizetype i = 0; i < input.codes.size(); ++i)
            plan.rows << MakeRow(input, plan.sitePhotoFolder, students, i);
        ApplyPairing(paired, plan);
        QList<PictureOfRow> pictures = PicturesOf(plan);
        if (std::optional<AssignmentOutcome> refusal = RefuseIdenticalPhotos(pictures))
            return PlanOutcome{std::nullopt, std::move(*refusal)};
        WarnSamePictures(plan, LookAtPictures(pictures));
    } catch (const std::exception& error) {
        query.Close();
        return PlanOutcome{std::nullopt, Failure(QString::fromStdString(error.what()))};
    }
    return PlanOutcome{std::move(plan), {}};
}
