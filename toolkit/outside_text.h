#pragma once
// Text that comes from outside the program (a file or folder name, a path, a tag, a track or chapter
// title) as the widgets may show it. Such text is never markup: Qt takes a tooltip or a message box's text
// for rich text when it merely looks like HTML, and would then draw its tags and load the images it names
// (a name "<img src=/dev/zero>" reads that device on the UI thread). Each form here shows the characters
// literally, on one line, cut to a length a widget can lay out quickly, with no control or bidirectional
// formatting character taking effect.

#include <QMessageBox>
#include <QString>

class OutsideText {
  public:
    // Longest text any widget shows of one outside string; past it, an ellipsis.
    static constexpr int kMaxChars = 1000;

    // The literal characters: controls (tab, line breaks, escape) become spaces, bidirectional
    // embeddings, overrides and isolates are dropped, and the result is cut to `maxChars`.
    static QString line(const QString& text, int maxChars = kMaxChars);
    // For a menu entry or a button: as line(), with '&' doubled so it never makes a mnemonic.
    static QString entry(const QString& text, int maxChars = kMaxChars);
    // For QToolTip::showText(): rich text of our own making whose content is the escaped line(), so
    // Qt's guess at the format cannot matter and no tag of the text takes effect.
    static QString tip(const QString& text);
    // A message box that shows `text` as plain text, each of its lines as line() words it.
    static QMessageBox* messageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                                   QWidget* parent);
};
