#include "document/view/savebytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace Orvik {

bool saveBytes(const QString &path, const char *data, qint64 size, QString *error) {
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QCoreApplication::translate("Orvik", "No file name given"));
    if (QFileInfo(path).isDir())
        return fail(QCoreApplication::translate("Orvik", "%1 is a folder")
                        .arg(QDir::toNativeSeparators(path)));
    QSaveFile file(path);
    // Writing in place would leave a half-written file behind on failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    constexpr qint64 Chunk = 1 << 20;
    for (qint64 done = 0; done < size;) {
        const qint64 n = qMin(Chunk, size - done);
        if (file.write(data + done, n) != n) {
            const QString why = file.errorString();
            file.cancelWriting();
            return fail(why);
        }
        done += n;
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace Orvik
