#include "photoday/SiteStudents.h"

#include <exception>

SiteStudents SiteStudents::Read(const StudentLookup& lookUp, const QStringList& codes)
{
    SiteStudents students;
    if (!lookUp)
        return students;
    try {
        students.cards_ = lookUp(codes);
        students.read_ = true;
    } catch (const std::exception& error) {
        students.failure_ = QString::fromUtf8(error.what());
    }
    return students;
}

const StudentCard* SiteStudents::Find(const QString& code) const
{
    const auto found = cards_.constFind(code);
    return found == cards_.cend() ? nullptr : &*found;
}

QString SiteStudents::NameOf(const QString& code) const
{
    const StudentCard* card = Find(code);
    return card ? card->name : QString();
}

QString SiteStudents::FailureMessage() const
{
    if (failure_.isEmpty())
        return {};
    return QStringLiteral("无法读取学生在网站上的姓名和现有照片，照常按名单拍照。\n") + failure_;
}
