#pragma once

#include <QString>

// The main job's messages spelled out as its users know them, apart from the
// product's own constants: a changed character in a message fails a test.
namespace MessageTexts {
inline const QString kFolderNotChosen = QStringLiteral("请选择要更新的目录！");
inline const QString kNoPhotos = QStringLiteral("没有加载图片!");
inline const QString kCountsDiffer = QStringLiteral("学生数和图片数不一致，请重试！");
inline const QString kDone = QStringLiteral("图片设置完成，请重新启动IIS");
inline const QString kDoneStatus = QStringLiteral("图片设置完成");
inline const QString kFailed = QStringLiteral("图片设置失败，请确认软件目录是否选择正确");
inline const QString kFailedStatus = QStringLiteral("更新失败");
} // namespace MessageTexts
