#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class PhotoDaySession;
class SiteStudents;

// How a photo of the site is made small enough to show: at most `box`, its
// shape kept; a null image when the file is no picture.
using ThumbnailMaker = std::function<QImage(const QString& path, QSize box)>;

// What the "当前学生" panel shows beside the camera's picture, so that the
// photographer sees whether the right student stands there.
struct StudentPanel {
    QString name; // the name the site gives the current student; empty: none
    QImage photo; // the student's photo on the site, at most the box; null: none shown
    QString note; // what the panel says of the photo, or why there is none
};

// The panel for the day's current student: empty at the end of the roster,
// the photo made by `makeThumbnail` to fit `box` (none without it).
StudentPanel PanelOf(const PhotoDaySession& day, const SiteStudents& students, const ThumbnailMaker& makeThumbnail,
                     QSize box);
