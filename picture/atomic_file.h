// Velmora — a file written beside its target and renamed into place once it is on disk.
#pragma once

#include <QByteArray>
#include <QString>

#include "picture/save_outcome.h"

namespace velmora {

// Nothing is replaced until commit() has the whole file on disk: a failure at any step leaves an
// existing file as it was and removes the partial one. Every failure is classified from errno.
class AtomicFile {
public:
    explicit AtomicFile(const QString &path);
    // The name by its bytes as the system knows them, so names that are not UTF-8 work too.
    explicit AtomicFile(const QByteArray &localName);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    SaveOutcome open();
    SaveOutcome write(const char *data, qint64 size);
    // Asks the kernel to start writing out what has been written so far.
    void startWriteback();
    // Data on disk, then the rename, then the folder entry on disk.
    SaveOutcome commit();

private:
    void discard();

    QByteArray m_target;
    QByteArray m_temporary;
    int m_fd = -1;
    qint64 m_written = 0;
};

// The problem an errno from creating, writing or renaming a file stands for.
SaveOutcome OutcomeFromErrno(int error);

} // namespace velmora
