#pragma once
// A window's controls as a table, one row per control, turned into widgets by buildControls(). The rows run
// from front to back: where controls overlap, an earlier row lies in front of a later one.

#include "toolkit/fonts.h"
#include <QHash>
#include <QString>
#include <optional>
#include <span>

class QWidget;

enum class ControlKind { Label, Picture, Button, Custom };

namespace opt {
inline constexpr unsigned AutoSize = 1; // label: width and height follow the caption, on one line
inline constexpr unsigned Centred = 2;  // label: caption centred in its box
inline constexpr unsigned Stretch = 4;  // picture: scaled to fill the box exactly
inline constexpr unsigned Default = 8;  // push button: the window's default button
} // namespace opt

struct ControlRow {
    const char* name;
    ControlKind kind;
    int left, top, width, height; // twips, from the client area's top-left corner
    int tabIndex = -1;            // -1: none
    const char* caption = "";
    std::optional<quint32> text = {};       // layout colour of the text
    std::optional<quint32> background = {}; // none: transparent (labels) or the widget's own
    FontSpec font = {};
    unsigned options = 0;
    const char* picture = nullptr;        // resource path
    const char* cursor = nullptr;         // resource path of a .cur file
    const char* accessibleName = nullptr; // default: the caption
};

// Builds the rows on `client`. Rows of kind Custom take their widget from `custom`, by name. Returns every
// control by name. Sets geometry, fonts, colours, object and accessible names, stacking and tab order.
QHash<QString, QWidget*> buildControls(QWidget* client, std::span<const ControlRow> rows,
                                       const QHash<QString, QWidget*>& custom = {});
