#include "photoday/PhotoDaySession.h"

#include "files/FileSystemPath.h"
#include "files/PlainFileName.h"
#include "files/ReplaceFile.h"
#include "files/SystemErrorText.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

const QString PhotoDaySession::kSessionFileName = QStringLiteral("拍照进度.json");
const QString PhotoDaySession::kOriginalsFolderName = QStringLiteral("原图");

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw EPhotoDayError(message.toStdString());
}

const QString kPhotoExtension = QStringLiteral(".jpg");
// Far more than the progress of any school's roster.
constexpr std::uint64_t kLargestSessionFile = std::uint64_t{16} * 1024 * 1024;

QString StateName(PhotoDaySession::State state)
{
    switch (state) {
    case PhotoDaySession::State::Done:
        return QStringLiteral("done");
    case PhotoDaySession::State::Absent:
        return QStringLiteral("absent");
    case PhotoDaySession::State::Waiting:
        break;
    }
    return QStringLiteral("waiting");
}

QJsonValue PhotoRecord(const std::optional<PhotoDaySession::SavedPhoto>& saved)
{
    if (!saved)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("photo"), saved->photo},
                       {QStringLiteral("original"), saved->original},
                       {QStringLiteral("taken"), saved->taken.toString(Qt::ISODate)},
                       {QStringLiteral("problems"), QJsonArray::fromStringList(saved->problems)}};
}

PhotoDaySession::SavedPhoto ReadPhotoRecord(const QJsonObject& record)
{
    QStringList problems;
    for (const auto& problem : record.value(QStringLiteral("problems")).toArray())
        problems << problem.toString();
    return {record.value(QStringLiteral("photo")).toString(), record.value(QStringLiteral("original")).toString(),
            QDateTime::fromString(record.value(QStringLiteral("taken")).toString(), Qt::ISODate), problems};
}

} // namespace

PhotoDaySession::PhotoDaySession(const QStringList& codes, const QString& outputFolder)
    : codes_(codes), states_(codes.size(), State::Waiting), saved_(codes.size())
{
    if (codes_.isEmpty())
        Refuse(QStringLiteral("名单中没有学生"));
    QSet<QString> seen;
    for (qsizetype i = 0; i < codes_.size(); ++i) {
        // The photo is saved under the code: it must be a file name, and one
        // no other student's photo shares.
        if (codes_[i].isEmpty() || !IsPlainFileName(codes_[i] + kPhotoExtension)) {
            Refuse(QStringLiteral("名单第 %1 行的学籍号“%2”不能用作图片文件名").arg(i + 1).arg(codes_[i]));
        }
        const QString key = codes_[i].toCaseFolded();
        if (seen.contains(key))
            Refuse(QStringLiteral("名单第 %1 行的学籍号“%2”前面已经出现过").arg(i + 1).arg(codes_[i]));
        seen.insert(key);
    }
    folderPath_ = QDir::cleanPath(QFileInfo(outputFolder).absoluteFilePath()) + u'/';
    if (!QDir().mkpath(folderPath_))
        Refuse(QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(folderPath_)));
    std::error_code error;
    // The folder the user chose is trusted as named; what lies in it is not.
    folder_ = FolderHandle::Open(FileSystemPath(folderPath_), error);
    if (error) {
        Refuse(QStringLiteral("无法打开文件夹 %1（%2）")
                   .arg(QDir::toNativeSeparators(folderPath_), SystemErrorText(error)));
    }

    const QString sessionFile = QDir::toNativeSeparators(folderPath_ + kSessionFileName);
    const EntryFacts facts = folder_.Look(NativeName(kSessionFileName), error);
    if (error)
        Refuse(QStringLiteral("无法读取拍照进度文件 %1（%2）").arg(sessionFile, SystemErrorText(error)));
    switch (facts.kind) {
    case EntryFacts::Kind::Missing:
        break;
    case EntryFacts::Kind::Regular: {
        // Read whole and closed before Keep replaces it: Windows refuses to
        // replace a file that is open.
        QByteArray bytes;
        {
            FileHandle file = folder_.OpenForReading(NativeName(kSessionFileName), error);
            if (!error)
                bytes = QByteArray::fromStdString(file.ReadAll(kLargestSessionFile, error));
        }
        if (error)
            Refuse(QStringLiteral("无法读取拍照进度文件 %1（%2）").arg(sessionFile, SystemErrorText(error)));
        Resume(bytes);
        break;
    }
    case EntryFacts::Kind::Link:
        // Followed, it would write the day's progress wherever it leads, or
        // carry on another day's progress there.
        Refuse(QStringLiteral("拍照进度文件 %1 是一个链接，不能用作拍照进度；请删除它或换一个文件夹").arg(sessionFile));
    case EntryFacts::Kind::Folder:
    case EntryFacts::Kind::Other:
        Refuse(QStringLiteral("无法读取拍照进度文件 %1（它不是普通文件）").arg(sessionFile));
    }
    Keep();
}

void PhotoDaySession::Resume(const QByteArray& bytes)
{
    const QString fileName = QDir::toNativeSeparators(folderPath_ + kSessionFileName);
    const QJsonObject saved = QJsonDocument::fromJson(bytes).object();
    const QJsonArray savedCodes = saved.value(QStringLiteral("codes")).toArray();
    const QJsonArray savedStates = saved.value(QStringLiteral("states")).toArray();
    const QJsonArray savedPhotos = saved.value(QStringLiteral("photos")).toArray();
    if (savedCodes.isEmpty() || savedStates.size() != savedCodes.size())
        Refuse(QStringLiteral("拍照进度文件 %1 已损坏，请删除它或换一个文件夹").arg(fileName));
    QStringList codes;
    for (const auto& code : savedCodes)
        codes << code.toString();
    if (codes != codes_) {
        Refuse(QStringLiteral("这个文件夹里已有另一份名单的拍照进度（%1），请换一个文件夹，"
                              "或选择当时的名单继续拍照")
                   .arg(fileName));
    }
    for (qsizetype i = 0; i < codes_.size(); ++i) {
        const QString state = savedStates[i].toString();
        if (state == StateName(State::Absent)) {
            states_[i] = State::Absent;
        } else if (state == StateName(State::Done)) {
            // A photo deleted since is taken again.
            std::error_code error;
            const EntryFacts photo = folder_.Look(NativeName(codes_[i] + kPhotoExtension), error);
            if (!error && photo.kind == EntryFacts::Kind::Regular) {
                states_[i] = State::Done;
                // A progress file of the days before the originals were kept
                // has no record: the photo alone is known.
                saved_[i] = i < savedPhotos.size() && savedPhotos[i].isObject()
                                ? ReadPhotoRecord(savedPhotos[i].toObject())
                                : SavedPhoto{codes_[i] + kPhotoExtension, {}, {}, {}};
            }
        }
    }
    position_ = std::clamp<qsizetype>(saved.value(QStringLiteral("position")).toInteger(), 0, codes_.size());
    resumed_ = true;
}

void PhotoDaySession::Keep() const
{
    QJsonArray codes;
    QJsonArray states;
    QJsonArray photos;
    for (qsizetype i = 0; i < codes_.size(); ++i) {
        codes.append(codes_[i]);
        states.append(StateName(states_[i]));
        photos.append(PhotoRecord(saved_[i]));
    }
    const QJsonObject progress{{QStringLiteral("codes"), codes},
                               {QStringLiteral("states"), states},
                               {QStringLiteral("photos"), photos},
                               {QStringLiteral("position"), position_}};
    // Whole or not at all, and never through a link: a crash while writing
    // leaves the last progress, and a link put there since is replaced.
    try {
        ReplaceFile(folder_, kSessionFileName, QJsonDocument(progress).toJson());
    } catch (const EReplaceFileError& error) {
        Refuse(QStringLiteral("无法写入拍照进度文件（%1）").arg(QString::fromUtf8(error.what())));
    }
}

std::optional<PhotoDaySession::SavedPhoto> PhotoDaySession::SavedPhotoOf(qsizetype student) const
{
    return states_.at(student) == State::Done ? saved_.at(student) : std::nullopt;
}

QString PhotoDaySession::PhotoPath(qsizetype student) const
{
    return folderPath_ + codes_.at(student) + kPhotoExtension;
}

QString PhotoDaySession::OriginalPath(qsizetype student) const
{
    return folderPath_ + kOriginalsFolderName + u'/' + codes_.at(student) + kPhotoExtension;
}

void PhotoDaySession::SavePhotos(const QByteArray& photo, const QByteArray& original, const QDateTime& taken,
                                 const QStringList& problems)
{
    if (AtEnd())
        return;
    const QString name = codes_[position_] + kPhotoExtension;
    std::error_code error;
    const FolderHandle originals = folder_.OpenFolder(NativeName(kOriginalsFolderName), /*create*/ true, error);
    if (error) {
        Refuse(QStringLiteral("无法打开原图文件夹 %1（%2）")
                   .arg(QDir::toNativeSeparators(folderPath_ + kOriginalsFolderName), SystemErrorText(error)));
    }
    try {
        // The frame first: a photo is never recorded without the frame it
        // was made from, and a crash between the two leaves the student
        // waiting, to be taken again.
        ReplaceFile(originals, name, original);
        ReplaceFile(folder_, name, photo);
    } catch (const EReplaceFileError& failure) {
        Refuse(QString::fromUtf8(failure.what()));
    }
    states_[position_] = State::Done;
    saved_[position_] = SavedPhoto{name, kOriginalsFolderName + u'/' + name, taken, problems};
    ++position_;
    Keep();
}

QString PhotoDaySession::SaveBesidePhotos(const QString& fileName, const QByteArray& bytes) const
{
    try {
        ReplaceFile(folder_, fileName, bytes);
    } catch (const EReplaceFileError& failure) {
        Refuse(QString::fromUtf8(failure.what()));
    }
    return folderPath_ + fileName;
}

void PhotoDaySession::Absent()
{
    if (AtEnd())
        return;
    if (states_[position_] == State::Done) {
        Refuse(QStringLiteral("%1 已经拍过照片，不能再记为缺席；要重拍请直接获取图片").arg(codes_[position_]));
    }
    states_[position_] = State::Absent;
    ++position_;
    Keep();
}

void PhotoDaySession::Retake()
{
    if (position_ == 0)
        return;
    --position_;
    Keep();
}

void PhotoDaySession::JumpTo(qsizetype student)
{
    position_ = std::clamp<qsizetype>(student, 0, codes_.size() - 1);
    Keep();
}

qsizetype PhotoDaySession::CountOf(State state) const
{
    return std::count(states_.cbegin(), states_.cend(), state);
}

qsizetype PhotoDaySession::CountSavedWithProblems() const
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < codes_.size(); ++i)
        count += states_[i] == State::Done && saved_[i] && !saved_[i]->problems.isEmpty();
    return count;
}

QStringList PhotoDaySession::CodesOf(State state) const
{
    QStringList codes;
    for (qsizetype i = 0; i < codes_.size(); ++i) {
        if (states_[i] == state)
            codes << codes_[i];
    }
    return codes;
}
