#include "photoday/PhotoDaySession.h"

#include "files/PlainFileName.h"
#include "files/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

const QString PhotoDaySession::kSessionFileName = QStringLiteral("拍照进度.json");

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw EPhotoDayError(message.toStdString());
}

const QString kPhotoExtension = QStringLiteral(".jpg");
// Far more than the progress of any school's roster.
constexpr qint64 kLargestSessionFile = qint64{16} * 1024 * 1024;

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

} // namespace

PhotoDaySession::PhotoDaySession(const QStringList& codes, const QString& outputFolder)
    : codes_(codes), states_(codes.size(), State::Waiting)
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
    folder_ = QDir::cleanPath(QFileInfo(outputFolder).absoluteFilePath()) + u'/';
    if (!QDir().mkpath(folder_))
        Refuse(QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(folder_)));

    const QString sessionFile = folder_ + kSessionFileName;
    if (QFileInfo::exists(sessionFile)) {
        // Read whole and closed before Keep replaces it: Windows refuses to
        // replace a file that is open. A progress file is a few kilobytes
        // per hundred students; anything else there is no progress file.
        QByteArray bytes;
        try {
            bytes = ReadRegularFile(sessionFile, kLargestSessionFile);
        } catch (const EFileAccessError&) {
            Refuse(QStringLiteral("无法读取拍照进度文件 %1").arg(QDir::toNativeSeparators(sessionFile)));
        }
        Resume(bytes);
    }
    Keep();
}

void PhotoDaySession::Resume(const QByteArray& bytes)
{
    const QString fileName = QDir::toNativeSeparators(folder_ + kSessionFileName);
    const QJsonObject saved = QJsonDocument::fromJson(bytes).object();
    const QJsonArray savedCodes = saved.value(QStringLiteral("codes")).toArray();
    const QJsonArray savedStates = saved.value(QStringLiteral("states")).toArray();
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
        if (state == StateName(State::Absent))
            states_[i] = State::Absent;
        // A photo deleted since is taken again.
        else if (state == StateName(State::Done) && QFileInfo::exists(PhotoPath(i)))
            states_[i] = State::Done;
    }
    position_ = std::clamp<qsizetype>(saved.value(QStringLiteral("position")).toInteger(), 0, codes_.size());
    resumed_ = true;
}

void PhotoDaySession::Keep() const
{
    QJsonArray codes;
    QJsonArray states;
    for (qsizetype i = 0; i < codes_.size(); ++i) {
        codes.append(codes_[i]);
        states.append(StateName(states_[i]));
    }
    const QJsonObject progress{
        {QStringLiteral("codes"), codes}, {QStringLiteral("states"), states}, {QStringLiteral("position"), position_}};
    // Whole or not at all: a crash while writing leaves the last progress.
    QSaveFile file(folder_ + kSessionFileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(progress).toJson()) < 0 || !file.commit()) {
        Refuse(QStringLiteral("无法写入拍照进度文件 %1（%2）")
                   .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    }
}

QString PhotoDaySession::PhotoPath(qsizetype student) const
{
    return folder_ + codes_.at(student) + kPhotoExtension;
}

void PhotoDaySession::PhotoSaved()
{
    if (AtEnd())
        return;
    states_[position_] = State::Done;
    ++position_;
    Keep();
}

void PhotoDaySession::Absent()
{
    if (AtEnd())
        return;
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

QStringList PhotoDaySession::AbsentCodes() const
{
    QStringList absent;
    for (qsizetype i = 0; i < codes_.size(); ++i) {
        if (states_[i] == State::Absent)
            absent << codes_[i];
    }
    return absent;
}
