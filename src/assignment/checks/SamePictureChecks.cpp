#include "assignment/checks/SamePictureChecks.h"

#include "assignment/checks/PhotoLook.h"
#include "assignment/checks/PhotoPixels.h"
#include "assignment/plan/RunMessages.h"
#include "files/PlainFileName.h"

#include <QFileInfo>
#include <QHash>
#include <QtConcurrent/QtConcurrentMap>

#include <optional>
#include <vector>

namespace {

constexpr qsizetype kGroupsShown = 10;

// One file to look at, and what was seen.
struct Looking {
    QString path;
    std::optional<PhotoLook> look;
    QString problem; // why it could not be decoded
};

void Look(Looking& looking)
{
    try {
        PhotoPixels photo(looking.path);
        looking.look = LookOf(photo);
    } catch (const EUnreadablePhoto& error) {
        looking.problem = QString::fromUtf8(error.what());
    }
}

void MarkUndecodable(PhotoFacts& photo, const QString& problem)
{
    photo.kind = PhotoFacts::Kind::Unreadable;
    photo.width = 0;
    photo.height = 0;
    photo.problem = problem;
}

} // namespace

std::optional<AssignmentOutcome> RefuseIdenticalPhotos(const QList<PictureOfRow>& rows)
{
    QHash<QByteArray, qsizetype> groupOf;
    QList<QList<qsizetype>> groups; // indices into rows
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const PhotoFacts& photo = *rows[i].photo;
        if (photo.kind == PhotoFacts::Kind::Unreadable || photo.contentHash.isEmpty())
            continue;
        const auto found = groupOf.constFind(photo.contentHash);
        if (found == groupOf.cend()) {
            groupOf.insert(photo.contentHash, groups.size());
            groups.append(QList<qsizetype>{i});
        } else {
            groups[*found] << i;
        }
    }
    groups.removeIf([](const QList<qsizetype>& group) { return group.size() < 2; });
    if (groups.isEmpty())
        return std::nullopt;
    QStringList message{QStringLiteral("有内容完全相同的图片，照片和学籍号会错位：")};
    QStringList details;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        QStringList lines;
        QStringList names;
        for (const qsizetype i : groups[g]) {
            lines << QString::number(rows[i].line);
            names << rows[i].photoName;
        }
        const QString text =
            QStringLiteral("第 %1 行的图片相同（%2）").arg(lines.join(u'、'), names.join(QStringLiteral("、")));
        if (g < kGroupsShown)
            message << text;
        details << text;
    }
    if (groups.size() > kGroupsShown)
        message << QStringLiteral("等 %1 处").arg(groups.size());
    message << QStringLiteral("没有设置任何学生，请改正后重试！");
    return Refusal(message.join(u'\n'), groups.size() > kGroupsShown ? details.join(u'\n') : QString());
}

QList<SamePictures> LookAtPictures(const QList<PictureOfRow>& rows)
{
    // The new photos first, then the current ones, each kept with its row.
    std::vector<Looking> lookings;
    std::vector<qsizetype> newOf;                          // row → its new photo's entry, or -1
    std::vector<std::pair<qsizetype, qsizetype>> currents; // (row, entry)
    for (const PictureOfRow& row : rows) {
        newOf.push_back(-1);
        if (row.photo->kind != PhotoFacts::Kind::Unreadable) {
            newOf.back() = static_cast<qsizetype>(lookings.size());
            lookings.push_back({row.source, {}, {}});
        }
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!rows[i].currentPhoto.isEmpty()) {
            currents.emplace_back(i, static_cast<qsizetype>(lookings.size()));
            lookings.push_back({rows[i].currentPhoto, {}, {}});
        }
    }
    QtConcurrent::blockingMap(lookings, Look);

    QList<SamePictures> found(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (newOf[i] >= 0 && !lookings[newOf[i]].look)
            MarkUndecodable(*rows[i].photo, lookings[newOf[i]].problem);
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (newOf[i] < 0 || !lookings[newOf[i]].look)
            continue;
        const PhotoLook& look = *lookings[newOf[i]].look;
        for (qsizetype j = i + 1; j < rows.size(); ++j) {
            if (newOf[j] >= 0 && lookings[newOf[j]].look && SamePicture(look, *lookings[newOf[j]].look)) {
                found[i].newPhotoLines << rows[j].line;
                found[j].newPhotoLines << rows[i].line;
            }
        }
        for (const auto& [j, entry] : currents) {
            // A student's own photo again is no mistake.
            if (j != i && lookings[entry].look && SamePicture(look, *lookings[entry].look))
                found[i].currentPhotoLines << rows[j].line;
        }
    }
    return found;
}
