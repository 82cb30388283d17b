// Velmora — file types and icons for the file dialogs, judged from names alone.
#pragma once

class QAbstractFileIconProvider;

namespace velmora {

// The one provider the dialogs share; it lives as long as the program. Qt's own provider reads
// the start of any file whose name it does not recognise, and a read of /proc/kmsg, or of a file
// on a stalled network mount, never returns; this one never opens a file.
QAbstractFileIconProvider *NameOnlyIcons();

} // namespace velmora
