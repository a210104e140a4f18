#pragma once

#include <QCache>
#include <QMutex>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QStringList>
#include <QThreadPool>

#include <optional>

// Thumbnails of photo files for a grid that shows thousands of students:
// made on worker threads only when a view asks for them, newest request
// first (the rows the user is looking at now), and kept in a bounded cache,
// so that the window opens at once and scrolls without waiting for files.
class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailCache(QSize box, QObject* parent = nullptr);
    // Drops the requests not begun and waits for the ones being made.
    ~ThumbnailCache() override;

    // The thumbnail when it is made (a null pixmap for a file that is not a
    // picture); otherwise nothing, and it will be made: Ready says when.
    std::optional<QPixmap> Find(const QString& path);

signals:
    void Ready(const QString& path);

private:
    void MakeNewest();                                   // on a worker thread
    void Take(const QString& path, const QImage& image); // on the window's thread

    QSize box_;
    QCache<QString, QPixmap> made_;
    QSet<QString> asked_; // asked and not made yet; the window's thread only
    QMutex mutex_;
    QStringList waiting_; // guarded by mutex_; newest last
    QThreadPool pool_;
};
