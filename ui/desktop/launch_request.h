// Velmora — what a start from the shell or a file manager asks to open.
#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

struct LaunchRequest {
    QString photo;     // the photo to correct, an absolute path, or empty
    QString reference; // the reference picture, an absolute path, or empty
    QString error;     // why the arguments could not be read; empty when they could

    bool opensFiles() const { return !photo.isEmpty() || !reference.isEmpty(); }
};

// `velmora [PHOTO]` or `velmora --reference REF PHOTO`; `arguments` without the program's name.
// Relative paths are taken from `workingFolder`.
LaunchRequest ParseLaunch(const QStringList &arguments, const QString &workingFolder);

// The request as one message to a copy that already runs, and back; a message that is not one
// gives a request with an error.
QByteArray EncodeLaunch(const LaunchRequest &request);
LaunchRequest DecodeLaunch(const QByteArray &message);

} // namespace velmora
