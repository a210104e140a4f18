#include "windows/main/ThumbnailCache.h"

#include "assignment/views/Thumbnail.h"

#include <QMutexLocker>

namespace {

// Requests beyond this many are for rows scrolled past long ago: dropped,
// and asked again if those rows come back into view.
constexpr qsizetype kMaxWaiting = 256;
// In kilobytes: about 20,000 thumbnails of 60 × 90.
constexpr qsizetype kCacheKilobytes = qsizetype{400} * 1024;

} // namespace

ThumbnailCache::ThumbnailCache(QSize box, QObject* parent) : QObject(parent), box_(box), made_(kCacheKilobytes) { }

ThumbnailCache::~ThumbnailCache()
{
    {
        const QMutexLocker lock(&mutex_);
        waiting_.clear();
    }
    pool_.waitForDone();
}

std::optional<QPixmap> ThumbnailCache::Find(const QString& path)
{
    if (const QPixmap* made = made_.object(path))
        return *made;
    if (asked_.contains(path))
        return std::nullopt;
    asked_.insert(path);
    {
        const QMutexLocker lock(&mutex_);
        waiting_.append(path);
        while (waiting_.size() > kMaxWaiting)
            asked_.remove(waiting_.takeFirst());
    }
    pool_.start([this] { MakeNewest(); });
    return std::nullopt;
}

void ThumbnailCache::MakeNewest()
{
    QString path;
    {
        const QMutexLocker lock(&mutex_);
        if (waiting_.isEmpty())
            return;
        path = waiting_.takeLast();
    }
    const QImage image = MakeThumbnail(path, box_);
    // Delivered on the window's thread; dropped if the cache is gone by then.
    QMetaObject::invokeMethod(
        this, [this, path, image] { Take(path, image); }, Qt::QueuedConnection);
}

void ThumbnailCache::Take(const QString& path, const QImage& image)
{
    asked_.remove(path);
    auto* pixmap = new QPixmap(QPixmap::fromImage(image));
    made_.insert(path, pixmap, std::max<qsizetype>(1, pixmap->width() * pixmap->height() * 4 / 1024));
    emit Ready(path);
}
