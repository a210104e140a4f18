#include "files/PhotoHash.h"

#include <QCryptographicHash>

QByteArray PhotoHash(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256).toHex();
}

QByteArray PhotoHash(QIODevice& device)
{
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    hash.addData(&device);
    return hash.result().toHex();
}
