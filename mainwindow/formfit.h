#ifndef FORMFIT_H
#define FORMFIT_H

class QWidget;

// The forms keep their designed geometry, which was sized for another
// platform's font; with a wider font some texts would be cut ("Run Korvane
// wizard nov"). Labels, check boxes, radio buttons and push buttons placed
// at fixed positions grow to their size hint where their width would cut
// their text, and the widgets around them (up to the window) grow with them.
// Word-wrapped labels wrap instead; widgets in layouts are the layout's.
namespace FormFit {
void growClippedTexts(QWidget *form);
// The widget's text would be cut at its present width.
bool isClipped(const QWidget *widget);
}

#endif // FORMFIT_H
