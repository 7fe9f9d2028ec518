#include "opening/sidecar_subtitle.h"
#include "files/fs_names.h"
#include "opening/local_file.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// What libass draws around each glyph of an event, in script pixels: the blur, border and shadow that
// cost it time in proportion to the area they cover.
struct Effect {
    double blur = 0, border = 0, shadow = 0;
    void widen(const Effect& other) {
        blur = std::max(blur, other.blur);
        border = std::max(border, other.border);
        shadow = std::max(shadow, other.shadow);
    }
};

struct Event {
    double start = 0, end = 0;
    Effect effect;
};

// The one rule: wide blur, borders or shadows on more than a few events on screen at the same time is
// what stalls the drawing; one or two are ordinary styling.
bool costly(const Effect& e) {
    return e.blur >= 4 || e.border >= 12 || e.shadow >= 4;
}

bool tooCostly(const std::vector<Event>& events) {
    std::vector<std::pair<double, int>> edges; // time, +1 start / -1 end
    for (const Event& event : events) {
        if (!costly(event.effect))
            continue;
        edges.emplace_back(event.start, 1);
        edges.emplace_back(event.end, -1);
    }
    std::sort(edges.begin(), edges.end());
    int onScreen = 0;
    for (const auto& edge : edges)
        if ((onScreen += edge.second) > 8)
            return true;
    return false;
}

// "0:01:02.50", "00:01:02,500" or "01:02.500" in seconds.
double clockTime(QByteArray text) {
    const QList<QByteArray> parts = text.replace(',', '.').trimmed().split(':');
    double seconds = 0;
    for (const QByteArray& part : parts)
        seconds = seconds * 60 + part.toDouble();
    return parts.size() >= 2 ? seconds : 0;
}

// One override tag as libass reads it: blanks allowed after the backslash and before the value; "(" too,
// as in \t(...) animations, whose tags are read the same way.
void applyTag(const QByteArray& block, qsizetype* at, const Effect& style, Effect* now) {
    qsizetype i = *at;
    auto skipBlanks = [&] {
        while (i < block.size() && (block[i] == ' ' || block[i] == '\t'))
            ++i;
    };
    skipBlanks();
    const qsizetype nameStart = i;
    while (i < block.size() && std::islower(static_cast<unsigned char>(block[i])))
        ++i;
    const QByteArray name = block.mid(nameStart, i - nameStart);
    skipBlanks();
    if (i < block.size() && block[i] == '(')
        ++i;
    skipBlanks();
    const qsizetype valueStart = i;
    while (i < block.size() && block[i] != '\0' && std::strchr("+-.0123456789eE", block[i]) != nullptr)
        ++i;
    const double value = std::abs(block.mid(valueStart, i - valueStart).toDouble());
    *at = i;
    if (name.startsWith('r'))
        *now = style; // \r and \rStyle: back to the style
    else if (name == "blur" || name == "be")
        now->blur = value;
    else if (name == "bord")
        now->border = value;
    else if (name == "xbord" || name == "ybord")
        now->border = std::max(now->border, value);
    else if (name == "shad")
        now->shadow = value;
    else if (name == "xshad" || name == "yshad")
        now->shadow = std::max(now->shadow, std::abs(value));
}

// The widest effect over an event's text: its style, then each override tag from where it stands (in any
// subtitle the engine turns into ASS: SRT and WebVTT cues carry the same tags).
Effect overrideEffect(const QByteArray& text, const Effect& style) {
    Effect now = style, widest = style;
    qsizetype at = 0;
    while ((at = text.indexOf('{', at)) >= 0) {
        const qsizetype close = text.indexOf('}', at);
        if (close < 0)
            break;
        const QByteArray block = text.mid(at + 1, close - at - 1);
        for (qsizetype i = block.indexOf('\\'); i >= 0; i = block.indexOf('\\', i)) {
            ++i;
            applyTag(block, &i, style, &now);
            widest.widen(now);
        }
        at = close + 1;
    }
    return widest;
}

// The columns of a Format line, by name.
QHash<QByteArray, int> columns(const QByteArray& format) {
    QHash<QByteArray, int> named;
    const QList<QByteArray> names = format.split(',');
    for (int i = 0; i < names.size(); ++i)
        named.insert(names[i].trimmed().toLower(), i);
    return named;
}

// A Style or Dialogue line's fields; the last column (the text) keeps its commas.
QList<QByteArray> fields(const QByteArray& values, int count) {
    QList<QByteArray> split;
    qsizetype at = 0;
    for (int i = 0; i + 1 < count; ++i) {
        const qsizetype comma = values.indexOf(',', at);
        if (comma < 0)
            break;
        split << values.mid(at, comma - at).trimmed();
        at = comma + 1;
    }
    split << values.mid(at);
    return split;
}

QByteArray column(const QList<QByteArray>& values, const QHash<QByteArray, int>& named, const char* name) {
    const int i = named.value(name, -1);
    return i >= 0 && i < values.size() ? values[i] : QByteArray();
}

constexpr const char* kStyleFormat =
    "Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, "
    "Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, "
    "MarginV, Encoding";
constexpr const char* kEventFormat =
    "Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text";

// An ASS or SSA script: each event's style, then its override tags.
std::vector<Event> scriptEvents(const QByteArray& script) {
    QHash<QByteArray, Effect> styles;
    QHash<QByteArray, int> styleColumns = columns(kStyleFormat), eventColumns = columns(kEventFormat);
    QByteArray section;
    std::vector<Event> events;
    for (QByteArray line : script.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            section = line.toLower();
        } else if (line.startsWith("Format:")) {
            (section == "[events]" ? eventColumns : styleColumns) = columns(line.mid(7));
        } else if (line.startsWith("Style:")) {
            const QList<QByteArray> v = fields(line.mid(6), int(styleColumns.size()));
            Effect& style = styles[column(v, styleColumns, "name").trimmed().replace("*", "")];
            style = {column(v, styleColumns, "blur").toDouble(),
                     column(v, styleColumns, "outline").toDouble(),
                     column(v, styleColumns, "shadow").toDouble()};
        } else if (line.startsWith("Dialogue:")) {
            const QList<QByteArray> v = fields(line.mid(9), int(eventColumns.size()));
            const QByteArray name = column(v, eventColumns, "style").trimmed().replace("*", "");
            // An unknown style draws as the default one.
            const Effect style = styles.value(name, styles.value("Default"));
            events.push_back({clockTime(column(v, eventColumns, "start")),
                              clockTime(column(v, eventColumns, "end")),
                              overrideEffect(column(v, eventColumns, "text"), style)});
        }
    }
    return events;
}

// SRT and WebVTT cues: a timing line, then the text up to a blank line.
std::vector<Event> cueEvents(const QByteArray& text) {
    std::vector<Event> events;
    Event* cue = nullptr;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (const qsizetype arrow = line.indexOf("-->"); arrow > 0) {
            const QByteArray end = line.mid(arrow + 3).trimmed();
            events.push_back({clockTime(line.left(arrow)), clockTime(end.split(' ').value(0)), {}});
            cue = &events.back();
        } else if (line.isEmpty()) {
            cue = nullptr;
        } else if (cue) {
            cue->effect.widen(overrideEffect(line, {}));
        }
    }
    return events;
}

std::vector<Event> subtitleEvents(const QByteArray& text) {
    // By content, as the engine's probe does, not by the name's suffix.
    return text.contains("[Events]") || text.contains("[events]") ? scriptEvents(text) : cueEvents(text);
}

} // namespace

Sidecar sidecarFor(const QString& mediaPath) {
    const QFileInfo media(mediaPath);
    const QString base = media.dir().filePath(media.completeBaseName());
    Sidecar sidecar;
    for (const char* suffix : {".srt", ".ass", ".ssa", ".vtt"}) {
        const QString path = base + QLatin1String(suffix);
        const QByteArray bytes = fsEncodeName(path);
        LocalFile probe = readLocalFile(bytes, 0);
        if (!probe.error.isEmpty())
            continue; // not there, or not a plain file: nothing to show
        const QString name = fsDisplayName(QFileInfo(path).fileName());
        if (probe.size > kSidecarLimit) {
            sidecar.note = QStringLiteral("subtitle %1 not shown: %2, over the %3 limit")
                               .arg(name, sizeText(probe.size), sizeText(kSidecarLimit));
            continue;
        }
        sidecar.path = path;
        sidecar.plain = tooCostly(subtitleEvents(readLocalFile(bytes, kSidecarLimit).head));
        if (sidecar.plain)
            sidecar.note = QStringLiteral("subtitle %1 shown without its effects").arg(name);
        return sidecar;
    }
    return sidecar;
}
