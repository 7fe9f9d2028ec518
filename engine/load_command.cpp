#include "engine/load_command.h"

#include "files/fs_names.h"

namespace {
// %N% quotes a value of N bytes, whatever characters it holds.
QByteArray quoted(const QString& name) {
    const QByteArray bytes = fsEncodeName(name);
    return '%' + QByteArray::number(bytes.size()) + '%' + bytes;
}
} // namespace

QByteArrayList loadCommand(const OpenItem& item, bool replace, double start) {
    QByteArrayList options;
    if (replace && start >= 0)
        options << "start=" + QByteArray::number(start, 'f', 3);
    if (!item.subtitle.isEmpty())
        options << "sub-files-append=" + quoted(item.subtitle);
    if (item.plainSubtitle) // its styling would cost too much to draw
        options << "sub-ass-override=strip";
    if (!item.coverArt.isEmpty()) // checked by the plan, as the subtitle is
        options << "cover-art-files-append=" + quoted(item.coverArt);
    QByteArrayList words{"loadfile", fsEncodeName(item.path), replace ? "replace" : "append"};
    if (!options.isEmpty())
        words << options.join(',');
    return words;
}
